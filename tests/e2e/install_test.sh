#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs both programs from there, so the
# installed layout (language files under share/vantorel, icons, desktop entry) is checked
# as a user would get it.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

expect_file() {
  if [ ! -s "$prefix/$1" ]; then echo "missing after install: $1" >&2; exit 1; fi
}
expect_file bin/vantorel
expect_file bin/vantorel-cli
expect_file share/vantorel/English.idi
expect_file share/vantorel/Espanol.idi
expect_file share/applications/vantorel.desktop
expect_file share/icons/hicolor/scalable/apps/vantorel.svg
expect_file share/icons/hicolor/48x48/apps/vantorel.png
expect_file share/icons/hicolor/256x256/apps/vantorel.png
expect_file share/mime/packages/vantorel.xml
expect_file share/man/man1/vantorel.1
expect_file share/man/man1/vantorel-cli.1
expect_file share/metainfo/org.vantorel.vantorel.metainfo.xml
expect_file "$(sed -n 's/^VANTOREL_COMPLETION_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")/vantorel-cli"
grep -q '^Exec=vantorel /h %f$' "$prefix/share/applications/vantorel.desktop"
grep -q '<launchable type="desktop-id">vantorel.desktop</launchable>' \
  "$prefix/share/metainfo/org.vantorel.vantorel.metainfo.xml"
file "$prefix/share/icons/hicolor/48x48/apps/vantorel.png" | grep -q '48 x 48'

"$prefix/bin/vantorel" --version | grep -q '[0-9]\+\.[0-9]\+\.[0-9]\+'
"$prefix/bin/vantorel-cli" --version | grep -q '[0-9]\+\.[0-9]\+\.[0-9]\+'

# A round trip through the installed CLI gives back the same bytes.
head -c 40000 /dev/urandom > "$work/game.bin"
"$prefix/bin/vantorel-cli" bin2smd "$work/game.bin" -o "$work/game.smd" >/dev/null
"$prefix/bin/vantorel-cli" smd2bin "$work/game.smd" -o "$work/back.bin" >/dev/null
cmp <(head -c 40000 "$work/back.bin") "$work/game.bin"

# The installed CLI finds its language file under share/vantorel.
printf 'not a patch at all' > "$work/bad.ips"
if "$prefix/bin/vantorel-cli" patch "$work/game.bin" "$work/bad.ips" -o "$work/out.bin" 2>"$work/err.txt"; then
  echo "a file that is no IPS patch was applied" >&2; exit 1
fi
invalid=$(sed -n 's/^InvalidIPS=//p' "$prefix/share/vantorel/English.idi" | tr -d '\r')
grep -qF "$invalid" "$work/err.txt" || { echo "expected the InvalidIPS text, got: $(cat "$work/err.txt")" >&2; exit 1; }
[ ! -e "$work/out.bin" ]
echo "install layout ok"
