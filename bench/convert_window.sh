#!/usr/bin/env bash
# Times the converter window on a batch of 4 MiB images against `vantorel-cli bin2smd` on the
# same files, both reading from the page cache. Target: the window within 1.2x of the CLI.
#
# Usage: bench/convert_window.sh [BUILD-DIR]       (needs xvfb-run, or a DISPLAY)
#   COUNT=N   number of images (default 200); RUNS=N best of N (default 3); TMPDIR picks the disk.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
cli=$build/bin/vantorel-cli
window=$build/bin/bench_convert_window
for program in "$cli" "$window"; do
    if [ ! -x "$program" ]; then
        echo "convert_window: no $program (build the project first)" >&2
        exit 2
    fi
done
count=${COUNT:-200}
runs=${RUNS:-3}
size=$((4 * 1024 * 1024))

work=$(mktemp -d "${TMPDIR:-/tmp}/vantorel-window.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/src" "$work/out"
echo "Making $count images of 4 MiB in $work ..."
for i in $(seq -w 1 "$count"); do
    head -c "$size" /dev/urandom > "$work/src/rom$i.bin"
done
cat "$work"/src/*.bin > /dev/null  # into the page cache
sync

run_display() {
    if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; fi
}
now() { date +%s.%N; }

best_cli=""
best_window=""
for run in $(seq 1 "$runs"); do
    rm -f "$work"/out/*
    sync
    t0=$(now)
    "$cli" bin2smd -d "$work/out" "$work"/src/*.bin > /dev/null
    t1=$(now)
    cli_s=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
    sync
    rm -f "$work"/out/*
    sync
    window_s=$(QT_QPA_PLATFORM=xcb run_display "$window" "$work/out" "$work"/src/*.bin 2>/dev/null | tail -n 1)
    sync
    [ "$(ls "$work/out" | wc -l)" -eq "$count" ] || { echo "convert_window: the window did not write every file" >&2; exit 1; }
    echo "run $run: vantorel-cli ${cli_s} s, window ${window_s} s"
    best_cli=$(awk -v a="$best_cli" -v b="$cli_s" 'BEGIN { print (a == "" || b < a) ? b : a }')
    best_window=$(awk -v a="$best_window" -v b="$window_s" 'BEGIN { print (a == "" || b < a) ? b : a }')
done

awk -v c="$best_cli" -v w="$best_window" -v n="$count" 'BEGIN {
    r = (c > 0 ? w / c : 0)
    printf "%d images of 4 MiB, best of runs: vantorel-cli bin2smd %.3f s, converter window %.3f s, %.2fx%s\n",
           n, c, w, r, (r > 1.2 ? "  (over the 1.2x target)" : "  (within the 1.2x target)") }'
