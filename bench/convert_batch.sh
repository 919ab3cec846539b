#!/usr/bin/env bash
# Times `vantorel-cli bin2smd` and `smd2bin` over a batch of 4 MiB images against `cp` of the
# same files to the same disk. Target: each conversion batch within 1.5x of the cp time.
#
# Usage: bench/convert_batch.sh [PATH-TO-vantorel-cli]
#   COUNT=N   number of images (default 200); TMPDIR picks the disk (default /tmp).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/bin/vantorel-cli}
if [ ! -x "$cli" ]; then
    echo "convert_batch: no vantorel-cli at '$cli' (build it, or pass its path)" >&2
    exit 2
fi
count=${COUNT:-200}
size=$((4 * 1024 * 1024))
parent=${TMPDIR:-/tmp}

# Sources, SMD outputs, BIN outputs and copies all live at once: four files per image,
# plus a margin so the disk is not driven full.
per_image_kib=$(( (4 * size + 4 * 512) / 1024 ))
avail_kib=$(df -Pk "$parent" | awk 'NR == 2 { print $4 }')
margin_kib=$((256 * 1024))
fits=$(( (avail_kib - margin_kib) / per_image_kib ))
if [ "$fits" -lt "$count" ]; then
    if [ "$fits" -lt 1 ]; then
        echo "convert_batch: not enough free space in $parent ($((avail_kib / 1024)) MiB free)" >&2
        exit 1
    fi
    echo "convert_batch: only $((avail_kib / 1024)) MiB free in $parent; using $fits images instead of $count"
    count=$fits
fi

work=$(mktemp -d "$parent/vantorel-batch.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/src" "$work/smd" "$work/bin" "$work/copy"

echo "Making $count images of 4 MiB of random bytes in $work ..."
for i in $(seq -w 1 "$count"); do
    head -c "$size" /dev/urandom > "$work/src/rom$i.bin"
done
sync

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

# Each step starts with nothing left to write back from the one before.
t0=$(now)
"$cli" bin2smd -d "$work/smd" "$work"/src/*.bin > /dev/null
t1=$(now)
sync
t2=$(now)
"$cli" smd2bin -d "$work/bin" "$work"/smd/*.smd > /dev/null
t3=$(now)
sync
t4=$(now)
cp "$work"/src/*.bin "$work/copy/"
t5=$(now)
sync

to_smd=$(elapsed "$t0" "$t1")
to_bin=$(elapsed "$t2" "$t3")
copy=$(elapsed "$t4" "$t5")

# The batch must also be right: every image comes back whole.
for f in "$work"/src/*.bin; do
    cmp -s "$f" "$work/bin/$(basename "$f")" || { echo "convert_batch: $f did not round-trip" >&2; exit 1; }
done

mib=$((count * 4))
report() { # label seconds
    awk -v l="$1" -v s="$2" -v c="$copy" -v m="$mib" 'BEGIN {
        printf "%-22s %8.3f s  %8.1f MiB/s  %5.2fx cp%s\n", l, s, (s > 0 ? m / s : 0), (c > 0 ? s / c : 0),
               (c > 0 && s / c > 1.5 ? "  (over the 1.5x target)" : "") }'
}
echo "$count images, $mib MiB per batch"
report "cp" "$copy"
report "vantorel-cli bin2smd" "$to_smd"
report "vantorel-cli smd2bin" "$to_bin"
