#!/usr/bin/env bash
# Pictures of the about box and of the credits show in motion, taken on a virtual X server
# with a window manager, by driving the real program as a person would: Help > About,
# ten presses of Ctrl, the revealed Credits button, then Up to speed the show along.
# Usage: scripts/screenshots_about.sh [build folder] [output folder]
# (defaults: build/ and shots/ at the top of the checkout). Needs xvfb-run, xdotool,
# openbox and ImageMagick's import (scripts/install-deps.sh installs them).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$(realpath -m "${1:-$ROOT/build}")"
OUT="$(realpath -m "${2:-$ROOT/shots}")"

if [[ "${VANTOREL_SHOTS_INNER:-}" != 1 ]]; then
  for tool in xvfb-run xdotool openbox import; do
    command -v "$tool" >/dev/null || { echo "$tool is needed; see scripts/install-deps.sh" >&2; exit 1; }
  done
  [[ -f "$BUILD/CMakeCache.txt" ]] || cmake -S "$ROOT" -B "$BUILD" -G Ninja
  cmake --build "$BUILD" --target vantorel vantorel_lang -j2
  mkdir -p "$OUT"
  exec env VANTOREL_SHOTS_INNER=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$BUILD" "$OUT"
fi

# Inside the virtual display from here on. The program runs from a scratch copy, so its
# settings file and the tune it writes to TEMP never touch the build tree or the user's files.
SCRATCH="$(mktemp -d)"
cleanup() {
  [[ -n "${APP:-}" ]] && kill "$APP" 2>/dev/null || true
  [[ -n "${WM:-}" ]] && kill "$WM" 2>/dev/null || true
  rm -rf "$SCRATCH"
}
trap cleanup EXIT
mkdir -p "$SCRATCH/bin" "$SCRATCH/temp"
cp "$BUILD/bin/vantorel" "$BUILD"/bin/*.idi "$SCRATCH/bin/"
printf '[Idioma]\nIdioma=%s\n[ROMs]\nDirectorio=%s\n' "$SCRATCH/bin/English.idi" "$HOME/roms/genesis" \
  >"$SCRATCH/bin/vantorel.ini"

openbox >/dev/null 2>&1 &
WM=$!
sleep 1
(cd "$SCRATCH/bin" && TEMP="$SCRATCH/temp" exec ./vantorel) >"$SCRATCH/vantorel.log" 2>&1 &
APP=$!

wait_for_window() {  # name, then prints the window id
  local id=""
  for _ in $(seq 100); do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)"
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window named '$1' appeared" >&2
  return 1
}

MAIN="$(wait_for_window Vantorel)"
sleep 3  # past the splash window
MAIN="$(wait_for_window Vantorel)"
# Alt reaches the menu bar; Help is its second entry and About the first item in it.
xdotool key --delay 150 alt Right Down Return
ABOUT="$(wait_for_window 'About Vantorel')"
sleep 0.5
xdotool mousemove --window "$ABOUT" 10 10
for _ in $(seq 10); do
  xdotool key ctrl
  sleep 0.05
done
sleep 0.5
import -frame -window "$ABOUT" "$OUT/about_box.png"

# The revealed button sits before OK in the tab order.
xdotool key shift+Tab space
for _ in $(seq 50); do
  ls "$SCRATCH"/temp/*.mid >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 3
# The show takes the program's title once its tune has started; it is the newer window.
CREDITS="$(xdotool search --onlyvisible --name '^Vantorel$' | tail -1)"
import -frame -window "$CREDITS" "$OUT/credits_1.png"
xdotool key Up Up Up
sleep 2
import -frame -window "$CREDITS" "$OUT/credits_2.png"
import -window root "$OUT/credits_screen.png"

TUNE="$(ls "$SCRATCH"/temp/*.mid 2>/dev/null || true)"
echo "tune written while the show ran: ${TUNE:-none}"
xdotool key Escape
sleep 0.5
if ls "$SCRATCH"/temp/*.mid >/dev/null 2>&1; then
  echo "the tune was not removed after Escape" >&2
  exit 1
fi
echo "Escape ended the show and removed the tune"
ls -l "$OUT"/about_box.png "$OUT"/credits_1.png "$OUT"/credits_2.png "$OUT"/credits_screen.png
