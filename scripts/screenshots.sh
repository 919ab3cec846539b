#!/usr/bin/env bash
# Takes pictures of the running program under a virtual X server and saves them as PNG files
# in shots/ (ignored by git). Builds nothing: pass the build folder that holds bin/vantorel.
#
#   scripts/screenshots.sh [BUILD_DIR]        default BUILD_DIR: build
#
# Each picture is one line at the end of this file:
#
#   shot NAME SECONDS [ARGS...]
#
# starts the program with ARGS (e.g. /c, or /h FILE), waits SECONDS, captures the active
# window with its frame into shots/NAME.png (the whole screen with ROOT=1) and ends the
# program. KEYS="ctrl+o Escape" before shot types those keys (xdotool names) first.
# The splash lasts 2.5 s, so 1 s catches it and 4 s catches the main window after it.
# Every start gets a scratch HOME and a copy of the program with English chosen, so no
# language chooser appears and nothing of the user's own setup is read or written.
set -euo pipefail

ROOT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [[ "${1:-}" != "--inside" ]]; then
    BUILD_DIR=$(cd "${1:-$ROOT_DIR/build}" && pwd)
    [[ -x "$BUILD_DIR/bin/vantorel" ]] || { echo "no program at $BUILD_DIR/bin/vantorel: build it first" >&2; exit 1; }
    for tool in xvfb-run openbox import xdotool; do
        command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
    done
    exec xvfb-run -a -s "-screen 0 1024x768x24" "${BASH_SOURCE[0]}" --inside "$BUILD_DIR"
fi

BUILD_DIR=$2
SHOTS_DIR=${SHOTS_DIR:-$ROOT_DIR/shots}
mkdir -p "$SHOTS_DIR"
SCRATCH=$(mktemp -d)
PROGRAM_PID=
WM_PID=

cleanup() {
    stop_program
    [[ -n "$WM_PID" ]] && kill "$WM_PID" 2>/dev/null || true
    rm -rf "$SCRATCH"
}
trap cleanup EXIT

export HOME="$SCRATCH/home" XDG_RUNTIME_DIR="$SCRATCH/run" XDG_CONFIG_HOME="$SCRATCH/home/.config"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
openbox >/dev/null 2>&1 &
WM_PID=$!
sleep 1

# A portable copy: the settings file beside the program is the one it uses.
APP_DIR="$SCRATCH/app"
mkdir -p "$APP_DIR"
cp "$BUILD_DIR/bin/vantorel" "$BUILD_DIR"/bin/*.idi "$APP_DIR/"
printf '[Idioma]\nIdioma=%s\n' "$APP_DIR/English.idi" > "$APP_DIR/vantorel.ini"

start_program() {
    (cd "$APP_DIR" && exec ./vantorel "$@") >"$SCRATCH/program.log" 2>&1 &
    PROGRAM_PID=$!
}

stop_program() {
    if [[ -n "$PROGRAM_PID" ]]; then
        kill "$PROGRAM_PID" 2>/dev/null || true
        wait "$PROGRAM_PID" 2>/dev/null || true
        PROGRAM_PID=
    fi
}

capture() {
    local file="$SHOTS_DIR/$1.png" window
    window=$(xdotool getactivewindow 2>/dev/null || true)
    if [[ -n "${ROOT:-}" || -z "$window" ]]; then
        import -window root "$file"
    else
        import -frame -window "$window" "$file"
    fi
    echo "saved $file"
}

shot() {
    local name=$1 seconds=$2
    shift 2
    start_program "$@"
    sleep "$seconds"
    if ! kill -0 "$PROGRAM_PID" 2>/dev/null; then
        echo "the program ended before $name could be taken:" >&2
        cat "$SCRATCH/program.log" >&2
        PROGRAM_PID=
        return 1
    fi
    if [[ -n "${KEYS:-}" ]]; then
        # shellcheck disable=SC2086
        xdotool key --delay 150 $KEYS
        sleep 1
    fi
    capture "$name"
    stop_program
}

shot splash 1
shot main-window 4
ROOT=1 shot main-window-screen 4
shot tool-convert 4 /c
shot tool-header 4 /h
shot tool-patch 4 /p
ROOT=1 shot tool-launcher 4 /l
# Help > About by the keyboard; ten presses of Ctrl reveal the credits button, which the
# second picture presses (it sits before OK in the tab order) to catch the show scrolling.
KEYS="alt Right Down Return ctrl ctrl ctrl ctrl ctrl ctrl ctrl ctrl ctrl ctrl" shot about-box 4
KEYS="alt Right Down Return ctrl ctrl ctrl ctrl ctrl ctrl ctrl ctrl ctrl ctrl shift+Tab space" ROOT=1 shot credits 4
