#!/usr/bin/env bash
# The AppStream metainfo as the build makes it: what it says matches the project (version,
# desktop entry, MIME types, screenshots that exist at the size stated), and appstreamcli
# accepts it. Skipped (77) when appstreamcli is missing, after the other checks.
# Usage: metainfo_test.sh METAINFO SOURCE-DIR VERSION
set -u
metainfo=$1
source_dir=$2
version=$3
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[ -s "$metainfo" ] || { echo "FAIL: no metainfo at $metainfo" >&2; exit 1; }
grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"" "$metainfo" ||
    fail "no release $version with a date"
grep -q '@[A-Z_]*@' "$metainfo" && fail "a placeholder was left unfilled"

desktop=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ -f "$source_dir/resources/desktop/$desktop" ] || fail "launchable $desktop is not the project's desktop entry"

wanted=$(grep -o 'mime-type type="[^"]*"' "$source_dir/resources/desktop/vantorel-mime.xml" | cut -d'"' -f2 | sort)
provided=$(sed -n 's|.*<mediatype>\(.*\)</mediatype>.*|\1|p' "$metainfo" | sort)
[ "$wanted" = "$provided" ] || fail "media types '$provided', the MIME file declares '$wanted'"
binaries=$(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo" | sort | tr '\n' ' ')
[ "$binaries" = "vantorel vantorel-cli " ] || fail "binaries provided: '$binaries'"

# Each picture is one of the README's, at the size it really has.
be32() { od -An -tu1 -j "$2" -N 4 "$1" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }'; }
shots=0
while read -r width height url; do
    shots=$((shots + 1))
    case $url in https://*) ;; *) fail "screenshot $url is not https" ;; esac
    png="$source_dir/docs/screenshots/${url##*/}"
    if [ ! -f "$png" ]; then fail "screenshot ${url##*/} is not in docs/screenshots"; continue; fi
    [ "$(be32 "$png" 16)x$(be32 "$png" 20)" = "${width}x$height" ] ||
        fail "${url##*/} is $(be32 "$png" 16)x$(be32 "$png" 20), the metainfo says ${width}x$height"
done < <(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">\(.*\)</image>.*|\1 \2 \3|p' "$metainfo")
[ "$shots" -gt 0 ] || fail "no screenshots"

[ "$failed" = 0 ] || exit 1
if ! command -v appstreamcli > /dev/null; then
    echo "appstreamcli is not installed: validation skipped"
    exit 77
fi
appstreamcli validate --no-net --pedantic "$metainfo" || exit 1
echo "metainfo checks passed"
