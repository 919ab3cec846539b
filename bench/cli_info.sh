#!/usr/bin/env bash
# Times `vantorel-cli info` over a batch of 4 MiB images, plain, SMD and inside .zip, .7z and
# .gz archives, against md5sum and sha1sum run one after the other over the plain images
# (info computes CRC32, MD5 and SHA-1 in one pass, so it should not be slower than those two).
#
# Usage: bench/cli_info.sh [PATH-TO-vantorel-cli]
#   COUNT=N   number of images (default 50); TMPDIR picks the disk (default /tmp).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/bin/vantorel-cli}
if [ ! -x "$cli" ]; then
    echo "cli_info: no vantorel-cli at '$cli' (build it, or pass its path)" >&2
    exit 2
fi
cli=$(realpath "$cli")
count=${COUNT:-50}
size=$((4 * 1024 * 1024))
work=$(mktemp -d "${TMPDIR:-/tmp}/vantorel-info.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

echo "Making $count images of 4 MiB in $work ..."
kinds="bin smd"
for i in $(seq -w 1 "$count"); do
    head -c "$size" /dev/urandom > "rom$i.bin"
done
"$cli" bin2smd rom*.bin > /dev/null
if command -v zip > /dev/null; then
    for f in rom*.bin; do zip -q -0 "${f%.bin}.zip" "$f"; done
    kinds="$kinds zip"
fi
if command -v 7z > /dev/null; then
    for f in rom*.bin; do 7z a -bd -mx=1 "${f%.bin}.7z" "$f" > /dev/null; done
    kinds="$kinds 7z"
fi
if command -v gzip > /dev/null; then
    for f in rom*.bin; do gzip -1 -c "$f" > "$f.gz"; done
    kinds="$kinds gz"
fi
cat rom* > /dev/null  # everything in the page cache: the runs time the work, not the disk

now() { date +%s.%N; }
seconds() { # command...
    local t0 t1
    t0=$(now)
    "$@" > /dev/null
    t1=$(now)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
}
base=$(awk -v m="$(seconds md5sum rom*.bin)" -v s="$(seconds sha1sum rom*.bin)" 'BEGIN { printf "%.3f", m + s }')
mib=$((count * 4))
report() { # label seconds
    awk -v l="$1" -v s="$2" -v b="$base" -v m="$mib" 'BEGIN {
        printf "%-26s %8.3f s  %8.1f MiB/s  %5.2fx md5sum+sha1sum\n", l, s, (s > 0 ? m / s : 0), (b > 0 ? s / b : 0) }'
}
echo "$count images, $mib MiB of plain image per run"
report "md5sum + sha1sum" "$base"
for kind in $kinds; do
    case $kind in
        bin) files=(rom*.bin) ;;
        smd) files=(rom*.smd) ;;
        gz) files=(rom*.bin.gz) ;;
        *) files=(rom*."$kind") ;;
    esac
    report "vantorel-cli info (.$kind)" "$(seconds "$cli" info --json "${files[@]}")"
done
