# Shared by the end-to-end scripts: a scratch folder to work in and small checks that
# collect failures instead of stopping at the first one. Source it, then `exit "$failed"`.
failed=0

# in_scratch NAME: makes a scratch folder, removed on exit, and enters it.
in_scratch() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/vantorel-e2e-$1.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    cd "$work" || exit 1
}

fail() { echo "FAIL: $*" >&2; failed=1; }
expect_rc() { # expected actual what
    [ "$1" = "$2" ] || fail "$3: exit status $2, expected $1"
}
byte_at() { od -An -tu1 -j "$2" -N 1 "$1" | tr -d ' '; }
size_of() { stat -c %s "$1"; }
