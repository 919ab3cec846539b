#!/usr/bin/env bash
# The bash completion of vantorel-cli, driven as bash drives it (COMP_WORDS, COMP_CWORD):
# commands and options must be the ones the program's own help lists, and files are
# offered by kind. Usage: completion_test.sh PATH-TO-vantorel-cli PATH-TO-completion-script
set -u
cli=$1
script=$2
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source=/dev/null
. "$script"
in_scratch completion

# offered WORD...: the candidates for the last word (give "" to complete an empty word),
# sorted, on one line.
offered() {
    COMP_WORDS=(vantorel-cli "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _vantorel_cli
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//'
}
expect() { # what expected actual
    [ "$2" = "$3" ] || fail "$1: offered '$3', expected '$2'"
}

[ "$(type -t _vantorel_cli)" = function ] || fail "the script defines no completion function"

# The commands are those the program lists, and help.
listed=$("$cli" --help | sed -n '/^Commands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }' | sort | tr '\n' ' ')
# shellcheck disable=SC2086 # the lists split into words on purpose
expect "commands" "$(printf '%s\n' $listed help | sort | tr '\n' ' ' | sed 's/ $//')" "$(offered "")"
expect "commands by prefix" "header help" "$(offered he)"
expect "program options" "--help --version" "$(offered --)"

# Each command's options are exactly those its help lists, plus "--".
for command in $listed; do
    help_options=$("$cli" "$command" --help | sed -n '/^Options:/,/^$/p' |
        grep -o -- '^  -[^ ]*' | tr ',' '\n' | sed 's/^ *//' | sort | tr '\n' ' ')
    # shellcheck disable=SC2086
    expect "$command options" "$(printf '%s\n' -- $help_options | sort | tr '\n' ' ' | sed 's/ $//')" \
        "$(offered "$command" -)"
done

# Files by kind, in any case, and folders to walk into.
mkdir folder
touch a.bin B.SMD c.Md d.gen e.zip f.7z g.gz h.txt i.ips J.BPS k.ups ./-dash.bin
expect "info" "-dash.bin B.SMD a.bin c.Md d.gen e.zip f.7z folder g.gz" "$(offered info "")"
expect "smd2bin" "B.SMD e.zip f.7z folder g.gz" "$(offered smd2bin "")"
expect "bin2smd" "-dash.bin a.bin c.Md d.gen e.zip f.7z folder g.gz" "$(offered bin2smd -d folder "")"
expect "patch's image" "-dash.bin B.SMD a.bin c.Md d.gen e.zip f.7z folder g.gz" "$(offered patch "")"
expect "patch's patch" "J.BPS folder i.ips k.ups" "$(offered patch a.bin "")"
expect "patch's patch after options" "J.BPS folder i.ips k.ups" "$(offered patch -o out.bin --entry x a.bin "")"
expect "patch's patch after an option joined by =" "J.BPS folder i.ips k.ups" \
    "$(offered patch --output = out.bin a.bin "")"
expect "nothing after patch's two files" "" "$(offered patch a.bin i.ips "")"
expect "makepatch's images" "-dash.bin B.SMD a.bin c.Md d.gen e.zip f.7z folder g.gz" "$(offered makepatch a.bin "")"
expect "nothing after makepatch's two images" "" "$(offered makepatch a.bin d.gen "")"
expect "makepatch's output takes any file" "h.txt" "$(offered makepatch a.bin d.gen -o h)"
expect "--format names the formats" "bps ips" "$(offered makepatch --format "")"
expect "after --format, the images" "-dash.bin B.SMD a.bin c.Md d.gen e.zip f.7z folder g.gz" \
    "$(offered makepatch --format bps "")"
expect "patchinfo's patch" "J.BPS folder i.ips k.ups" "$(offered patchinfo "")"
expect "nothing after patchinfo's patch" "" "$(offered patchinfo i.ips "")"
expect "prefix" "a.bin" "$(offered checksum a)"
expect "-d takes folders" "folder" "$(offered smd2bin -d "")"
expect "-o takes any file" "h.txt" "$(offered header -o h)"
expect "after --, a dash starts a file" "-dash.bin" "$(offered info -- -)"
expect "--set names the fields" "region= romend=" "$(offered header a.bin --set r)"
# The fields are those the header command names when it refuses an unknown one.
fields=$("$cli" header a.bin --set nosuch=1 2>&1 | sed -n "s/.*unknown field 'nosuch' (\(.*\)).*/\1/p" |
    tr -d ',' | tr ' ' '\n' | sed 's/$/=/' | sort | tr '\n' ' ' | sed 's/ $//')
[ -n "$fields" ] || fail "the header command no longer names its fields"
expect "--set offers every field" "$fields" "$(offered header a.bin --set "")"
expect "romend=" "auto" "$(offered header a.bin --set romend = "")"
expect "no entry names to guess" "" "$(offered info e.zip --entry "")"

[ "$failed" = 0 ] && echo "all completion checks passed"
exit "$failed"
