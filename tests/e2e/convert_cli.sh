#!/usr/bin/env bash
# End-to-end checks of `vantorel-cli smd2bin` and `bin2smd`: outputs, messages, exit codes.
# Usage: convert_cli.sh PATH-TO-vantorel-cli
set -u
cli=$1
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
in_scratch convert

# A BIN of three blocks and 8000 bytes: four blocks out, nothing dropped.
head -c $((16384 * 3 + 8000)) /dev/urandom > game.bin
"$cli" bin2smd game.bin > out.txt 2> err.txt
expect_rc 0 $? "bin2smd game.bin"
[ "$(cat out.txt)" = "game.smd" ] || fail "stdout names the destination: '$(cat out.txt)'"
[ ! -s err.txt ] || fail "nothing on stderr when all succeed: $(cat err.txt)"
[ "$(size_of game.smd)" = 66048 ] || fail "game.smd is $(size_of game.smd) bytes, expected 66048"
[ "$(byte_at game.smd 0)" = 4 ] || fail "header byte 0 is $(byte_at game.smd 0), expected 4"
for pair in 1:3 8:170 9:187 10:6 2:0 511:0; do
    at=${pair%%:*}; want=${pair#*:}
    [ "$(byte_at game.smd "$at")" = "$want" ] || fail "header byte $at is not $want"
done

# And back: the image, zero-padded to whole blocks.
"$cli" smd2bin -o back.bin game.smd > out.txt
expect_rc 0 $? "smd2bin -o back.bin game.smd"
[ "$(cat out.txt)" = "back.bin" ] || fail "stdout names -o's file: '$(cat out.txt)'"
cmp -s <(cat game.bin; head -c $((16384 - 8000)) /dev/zero) back.bin || fail "round trip differs"

# Known bytes land where the layout puts them.
printf '\x11\x22\x33\x44' > tiny.bin
"$cli" bin2smd tiny.bin > /dev/null
expect_rc 0 $? "bin2smd tiny.bin"
[ "$(byte_at tiny.smd 512)$(byte_at tiny.smd 513)" = "3468" ] || fail "odd bytes first"
[ "$(byte_at tiny.smd 8704)$(byte_at tiny.smd 8705)" = "1751" ] || fail "even bytes second"
[ "$(size_of tiny.smd)" = 16896 ] || fail "a 4-byte BIN gives one block"

# Several files, options after the files, one missing: the others still convert.
mkdir outdir
head -c 16384 /dev/urandom > one.bin
head -c 20000 /dev/urandom > two.bin
"$cli" bin2smd one.bin missing.bin two.bin -d outdir > out.txt 2> err.txt
expect_rc 1 $? "bin2smd with a missing file"
[ "$(cat out.txt)" = "$(printf 'outdir/one.smd\noutdir/two.smd')" ] || fail "stdout lines: $(cat out.txt)"
grep -q "missing.bin" err.txt || fail "stderr names the failed file"
grep -q "No such file or directory" err.txt || fail "stderr gives the reason"
[ -f outdir/one.smd ] && [ -f outdir/two.smd ] || fail "-d puts outputs in the folder"
[ ! -e outdir/missing.smd ] || fail "no output for a missing source"
[ ! -e one.smd ] || fail "-d leaves the source folder alone"

# A destination that is the source itself is refused and the source kept.
cp game.smd keep.smd
"$cli" smd2bin -o game.smd game.smd > /dev/null 2> err.txt
expect_rc 1 $? "smd2bin onto its own source"
cmp -s keep.smd game.smd || fail "the source was written over"
grep -q "source file itself" err.txt || fail "the refusal says why: $(cat err.txt)"

# Two sources that would be written to one file: refused before anything is written,
# naming both sources and the destination, whatever the spelling of the paths.
mkdir -p from1 from2 dest
head -c 1000 /dev/urandom > from1/x.bin
head -c 2000 /dev/urandom > from2/x.bin
"$cli" bin2smd -d dest from1/x.bin from2/x.bin > out.txt 2> err.txt
expect_rc 1 $? "bin2smd, two sources onto one destination"
[ ! -s out.txt ] || fail "a refused batch reports no output: $(cat out.txt)"
[ -z "$(ls dest)" ] || fail "a refused batch writes nothing: $(ls dest)"
grep -F "from1/x.bin" err.txt | grep -F "from2/x.bin" | grep -qF "dest/x.smd" ||
    fail "the refusal names both sources and the destination: $(cat err.txt)"
"$cli" bin2smd from1/x.bin one.bin ./from1/../from1//x.bin > out.txt 2> err.txt
expect_rc 1 $? "bin2smd, one destination spelled two ways"
[ ! -e from1/x.smd ] && [ ! -e one.smd ] || fail "a refused batch converts none of its files"
# An output that would replace another source of the batch.
head -c 3000 /dev/urandom > pair.bin
cp tiny.smd pair.smd
"$cli" bin2smd pair.smd pair.bin > out.txt 2> err.txt
expect_rc 1 $? "bin2smd writing over another source"
cmp -s tiny.smd pair.smd || fail "pair.smd, a source of the batch, was written over"
grep -F "pair.bin" err.txt | grep -qF "pair.smd" || fail "the refusal names the files: $(cat err.txt)"

# An SMD whose header states more blocks than it holds: failure, no output.
{ printf '\x08'; head -c $((511 + 4 * 16384)) /dev/zero; } > short.smd
"$cli" smd2bin short.smd > /dev/null 2> err.txt
expect_rc 1 $? "smd2bin on a truncated file"
[ ! -e short.bin ] || fail "a failed conversion leaves no file"
grep -q "states 8 blocks" err.txt || fail "the reason names the count: $(cat err.txt)"

# A destination folder that does not exist: failure, nothing created.
"$cli" bin2smd -d nowhere one.bin > /dev/null 2> err.txt
expect_rc 1 $? "bin2smd into a missing folder"
[ ! -e nowhere ] || fail "no folder created"

# Usage errors.
"$cli" smd2bin > /dev/null 2>&1;                       expect_rc 2 $? "no files"
"$cli" smd2bin --bogus game.smd > /dev/null 2>&1;      expect_rc 2 $? "unknown option"
"$cli" smd2bin -o x.bin game.smd tiny.smd > /dev/null 2>&1; expect_rc 2 $? "-o with two files"
"$cli" smd2bin game.smd -d > /dev/null 2>&1;           expect_rc 2 $? "-d without a folder"
[ ! -e x.bin ] || fail "a usage error converts nothing"
"$cli" bin2smd --help | grep -q "Usage: vantorel-cli bin2smd" || fail "--help"

# "--" ends the options, so a file may start with a dash.
cp one.bin ./-dash.bin
"$cli" bin2smd -- -dash.bin > /dev/null
expect_rc 0 $? "-- before a dashed file"
[ -f ./-dash.smd ] || fail "-- lets a dashed file through"

# --help is a request for help only where an option may stand: as the value of -o it names
# the output, after "--" it is a file to convert.
"$cli" bin2smd -o --help one.bin > out.txt 2> err.txt
expect_rc 0 $? "bin2smd -o --help"
[ "$(cat out.txt)" = "--help" ] || fail "-o --help names the output: '$(cat out.txt)'"
cmp -s ./--help outdir/one.smd || fail "-o --help writes the conversion to a file named --help"
"$cli" smd2bin -- --help > out.txt 2> err.txt
expect_rc 0 $? "smd2bin -- --help"
[ "$(cat out.txt)" = "--.bin" ] || fail "after --, --help is a file: '$(cat out.txt)'"
cmp -s ./--.bin one.bin || fail "the file --help converts back to one.bin"
"$cli" bin2smd one.bin --help > out.txt 2> err.txt
expect_rc 0 $? "bin2smd FILE --help"
grep -q "^Usage: vantorel-cli bin2smd" out.txt || fail "--help among files shows the help: $(cat out.txt)"
[ ! -e one.smd ] || fail "a help request converts nothing"
"$cli" smd2bin -h > out.txt
expect_rc 0 $? "smd2bin -h"
grep -q "^Usage: vantorel-cli smd2bin" out.txt || fail "-h shows the help"

# No progress bar when standard error is not a terminal.
"$cli" bin2smd two.bin 2> err.txt > /dev/null
[ ! -s err.txt ] || fail "progress written to a non-terminal"

[ "$failed" = 0 ] && echo "all convert CLI checks passed"
exit "$failed"
