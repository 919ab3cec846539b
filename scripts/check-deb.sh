#!/usr/bin/env bash
# Builds the .deb with CPack, installs it with dpkg, checks what a user would touch, and
# removes it again. Needs root (it really installs into /usr). Usage: check-deb.sh [BUILD]
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
[ -d "$build" ] || { echo "no build folder '$build': run scripts/test.sh first" >&2; exit 2; }
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/vantorel_*.deb | head -n 1)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Depends\|Recommends\):/\1:/p'
apt-get install -y -qq "./$deb" >/dev/null 2>&1 || dpkg -i "$deb"
trap 'dpkg -r vantorel >/dev/null 2>&1 || true' EXIT
/usr/bin/vantorel --version
/usr/bin/vantorel-cli --version
# libarchive and libcrypto are opened at run time: an archived image shows both are there.
probe=$(mktemp -d)
head -c 1024 /dev/zero > "$probe/game.bin"
(cd "$probe" && zip -q game.zip game.bin)
/usr/bin/vantorel-cli info "$probe/game.zip" | grep -q '^sha1: 60cacbf3d72e1e7834203da608037b1bf83b40e8$'
rm -rf "$probe"
test -s /usr/share/vantorel/English.idi
test -s /usr/share/applications/vantorel.desktop
test -s /usr/share/icons/hicolor/scalable/apps/vantorel.svg
metainfo=/usr/share/metainfo/org.vantorel.vantorel.metainfo.xml
test -s "$metainfo"
if command -v appstreamcli >/dev/null; then appstreamcli validate --no-net "$metainfo" >/dev/null; fi
completion=/usr/$(sed -n 's/^VANTOREL_COMPLETION_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")/vantorel-cli
test -s "$completion"
bash -c ". '$completion' && complete -p vantorel-cli" | grep -q _vantorel_cli
dpkg -r vantorel >/dev/null
trap - EXIT
if [ -e /usr/bin/vantorel ] || [ -e /usr/share/vantorel/English.idi ] || [ -e "$metainfo" ] ||
  [ -e "$completion" ]; then
  echo "files left behind after dpkg -r" >&2
  exit 1
fi
echo "deb installs and removes cleanly"
