#!/usr/bin/env bash
# End-to-end checks of `vantorel-cli patch`: output file, messages, exit codes.
# Usage: patch_cli.sh PATH-TO-vantorel-cli PATH-TO-English.idi
set -u
cli=$1
english=$2
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
in_scratch patch

# A 32-byte image; a patch with a data record (0xAB 0xCD at 2), a run record (3 x 0xFF at 16)
# and a record past the end (4 bytes at 100), so the image grows to exactly 104 bytes.
head -c 32 /dev/zero > game.bin
printf 'PATCH\x00\x00\x02\x00\x02\xab\xcd\x00\x00\x10\x00\x00\x00\x03\xff\x00\x00\x64\x00\x04\x01\x02\x03\x04EOF' > fix.ips
"$cli" patch game.bin fix.ips -o out.bin > out.txt 2> err.txt
expect_rc 0 $? "patch game.bin fix.ips -o out.bin"
[ "$(cat out.txt)" = "out.bin" ] || fail "stdout names the output: '$(cat out.txt)'"
[ "$(cat err.txt)" = "vantorel-cli patch: applied IPS patch, result CRC32 $(head -c 104 out.bin | gzip -c | tail -c 8 | od -An -tx4 -N4 | tr -d ' ')" ] ||
    fail "stderr tells the format and the result's CRC32: $(cat err.txt)"
[ "$(size_of out.bin)" = 104 ] || fail "out.bin is $(size_of out.bin) bytes, expected 104"
for pair in 2:171 3:205 16:255 18:255 19:0 99:0 100:1 103:4; do
    at=${pair%%:*}; want=${pair#*:}
    [ "$(byte_at out.bin "$at")" = "$want" ] || fail "byte $at is $(byte_at out.bin "$at"), expected $want"
done
cmp -s game.bin <(head -c 32 /dev/zero) || fail "the source changed"

# An extra chunk lands after the grown image.
head -c 1000 /dev/urandom > extra.dat
"$cli" patch --append extra.dat game.bin fix.ips --output chunk.bin > /dev/null
expect_rc 0 $? "patch with --append"
[ "$(size_of chunk.bin)" = 1104 ] || fail "chunk.bin is $(size_of chunk.bin) bytes, expected 1104"
cmp -s <(tail -c 1000 chunk.bin) extra.dat || fail "the chunk is not at the end"
cmp -s <(head -c 104 chunk.bin) out.bin || fail "the patched part differs with a chunk"

# The truncation extension, written over the source itself.
head -c 64 /dev/zero > self.bin
printf 'PATCH\x00\x00\x01\x00\x01\x99EOF\x00\x00\x10' > cut.ips
"$cli" patch self.bin cut.ips -o self.bin > /dev/null
expect_rc 0 $? "patch over the source"
[ "$(size_of self.bin)" = 16 ] || fail "self.bin is $(size_of self.bin) bytes, expected 16"
[ "$(byte_at self.bin 1)" = 153 ] || fail "self.bin byte 1 not patched"

# Not an IPS patch: exit 1, the language file's InvalidIPS text, no file.
invalid=$(sed -n 's/^InvalidIPS=//p' "$english" | tr -d '\r')
[ -n "$invalid" ] || fail "no InvalidIPS text in $english"
printf 'NOTAPATCHEOF' > bad.ips
"$cli" patch game.bin bad.ips -o bad.bin > out.txt 2> err.txt
expect_rc 1 $? "patch with a non-IPS file"
grep -qF -- "$invalid" err.txt || fail "stderr lacks '$invalid': $(cat err.txt)"
[ ! -s out.txt ] || fail "nothing on stdout on failure"
[ ! -e bad.bin ] || fail "bad.bin written for an invalid patch"

# A damaged patch (a record running into the closing EOF) and a failed write leave the
# existing destination as it was.
cp out.bin keep.bin
printf 'PATCH\x00\x00\x01\x00\x09\x01EOF' > damaged.ips
"$cli" patch game.bin damaged.ips -o keep.bin > /dev/null 2> err.txt
expect_rc 1 $? "patch with a damaged patch"
grep -q "damaged" err.txt || fail "stderr does not say the patch is damaged: $(cat err.txt)"
cmp -s keep.bin out.bin || fail "keep.bin changed"
"$cli" patch game.bin fix.ips -o no/such/folder.bin > /dev/null 2> err.txt
expect_rc 1 $? "patch into a missing folder"
grep -q "folder.bin" err.txt || fail "stderr does not name the destination: $(cat err.txt)"
"$cli" patch missing.bin fix.ips -o x.bin > /dev/null 2> err.txt
expect_rc 1 $? "patch a missing image"
grep -q "missing.bin" err.txt || fail "stderr does not name the missing image: $(cat err.txt)"
[ ! -e x.bin ] || fail "x.bin written for a missing image"

# Usage errors.
for args in "game.bin fix.ips" "game.bin -o x.bin" "game.bin fix.ips extra -o x.bin" \
            "game.bin fix.ips -o" "game.bin fix.ips -o x.bin --append" "game.bin fix.ips -o x.bin --bogus" \
            "game.bin fix.ips -o x.bin -o y.bin"; do
    # shellcheck disable=SC2086
    "$cli" patch $args > /dev/null 2> err.txt
    expect_rc 2 $? "patch $args"
    [ -s err.txt ] || fail "patch $args: no reason on stderr"
done
[ ! -e x.bin ] && [ ! -e y.bin ] || fail "a usage error wrote a file"
"$cli" patch --help > out.txt
expect_rc 0 $? "patch --help"
grep -q "ROM PATCH -o OUT" out.txt || fail "--help shows the usage"

# As the value of -o, --help is the output's name; after "--", it is the patch.
"$cli" patch game.bin fix.ips -o --help > out.txt 2> err.txt
expect_rc 0 $? "patch -o --help"
[ "$(cat out.txt)" = "--help" ] || fail "-o --help names the output: '$(cat out.txt)'"
cmp -s ./--help out.bin || fail "the output named --help differs from out.bin"
cp fix.ips ./--version
"$cli" patch -o dashed.bin -- game.bin --version > out.txt 2> err.txt
expect_rc 0 $? "patch -- ROM --version"
cmp -s dashed.bin out.bin || fail "after --, --version is the patch"
rm -f ./--help ./--version

[ "$(ls -A | grep -c '^\.')" = 0 ] || fail "temporary files left behind: $(ls -A)"
exit $failed
