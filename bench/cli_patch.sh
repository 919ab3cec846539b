#!/usr/bin/env bash
# Whole-process CPU time of `vantorel-cli patch` applying a BPS and an IPS patch to a 4 MiB
# image, against `cp` of the result (the plain copy a patcher cannot beat). The pair: random
# bytes with 2,000 small edits and 64 KiB inserted in the middle. Output goes to a tmpfs when
# /dev/shm exists, so the durable write's fsync costs next to nothing on either side.
#
# Usage: bench/cli_patch.sh [PATH-TO-vantorel-cli]     RUNS=N best of N (default 20)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/bin/vantorel-cli}
[ -x "$cli" ] || { echo "cli_patch: no vantorel-cli at '$cli'" >&2; exit 2; }
runs=${RUNS:-20}
base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
work=$(mktemp -d "$base/vantorel-patch.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

head -c $((4 << 20)) /dev/urandom > original.bin
perl -e '
    local $/; open my $in, "<:raw", "original.bin" or die; my $d = <$in>;
    srand(7);
    for (1 .. 2000) { my $n = 1 + int(rand(8)); substr($d, int(rand(length($d) - 8)), $n) = join "", map { chr int rand 256 } 1 .. $n }
    my $insert = join "", map { chr int rand 256 } 1 .. 65536;
    substr($d, length($d) >> 1, 0) = $insert;
    open my $out, ">:raw", "modified.bin" or die; print $out $d;'
"$cli" makepatch original.bin modified.bin -o patch.bps > /dev/null
"$cli" makepatch original.bin modified.bin -o patch.ips > /dev/null

# User + system CPU time of a command, the best of $runs runs, in milliseconds.
cpu_ms() {
    perl -MTime::HiRes -e '
        my ($runs, @cmd) = @ARGV; my $best;
        for (1 .. $runs) {
            my @t0 = times; system(@cmd) == 0 or die "failed: @cmd\n"; my @t1 = times;
            my $t = ($t1[2] - $t0[2]) + ($t1[3] - $t0[3]);
            $best = $t if !defined $best || $t < $best;
        }
        printf "%.1f", $best * 1000;' "$runs" "$@"
}
# times() counts in clock ticks (10 ms); where perf may count task time, its mean is finer.
if perf stat -e task-clock true > /dev/null 2>&1; then
    cpu_ms() {
        local runs=$1; shift
        perf stat -x, -e task-clock -r "$runs" "$@" 2>&1 > /dev/null | awk -F, '/task-clock/ { printf "%.1f", $1 }'
    }
fi

copy=$(cpu_ms "$runs" cp modified.bin copy.bin)
bps=$(cpu_ms "$runs" "$cli" patch original.bin patch.bps -o out-bps.bin)
ips=$(cpu_ms "$runs" "$cli" patch original.bin patch.ips -o out-ips.bin)
cmp -s out-bps.bin modified.bin && cmp -s out-ips.bin modified.bin || { echo "cli_patch: wrong result" >&2; exit 1; }
echo "patch sizes: BPS $(stat -c %s patch.bps) bytes, IPS $(stat -c %s patch.ips) bytes"
echo "CPU time per run ($runs runs): cp ${copy} ms, patch BPS ${bps} ms, patch IPS ${ips} ms"
