#!/usr/bin/env bash
# Pictures of the about box and of the credits show in motion, taken on a virtual X server.
# Usage: scripts/screenshots_about.sh [build folder] [output folder]
# (defaults: build/ and shots/ at the top of the checkout).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
OUT="${2:-$ROOT/shots}"

if [[ ! -f "$BUILD/CMakeCache.txt" ]]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja
fi
cmake --build "$BUILD" --target e2e_about_shots -j2

command -v xvfb-run >/dev/null || { echo "xvfb-run is needed (Debian package xvfb)" >&2; exit 1; }
mkdir -p "$OUT"
# The tune is written to TEMP while the show runs; keep it out of the user's folder.
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT
TEMP="$SCRATCH" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" \
  "$BUILD/bin/e2e_about_shots" "$OUT"
ls -l "$OUT"/about_box.png "$OUT"/credits_1.png "$OUT"/credits_2.png
