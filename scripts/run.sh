#!/usr/bin/env bash
# Installs what is missing, builds the program in build/ and starts it with the given
# arguments (for example: scripts/run.sh /h ~/roms/sonic.bin).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

# Qt can run without a display only on its offscreen platforms; anything else needs X or Wayland.
has_display() {
  [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]] && return 0
  case "${QT_QPA_PLATFORM:-}" in offscreen* | minimal* | vnc*) return 0 ;; esac
  return 1
}

no_display_help() {
  cat >&2 <<'MSG'
No display is available: neither DISPLAY nor WAYLAND_DISPLAY is set, so the Vantorel window
cannot be shown. Run it inside a graphical session, or start it under a virtual X server:

    xvfb-run -a bash scripts/run.sh

(xvfb-run comes with the Debian package xvfb, which scripts/install-deps.sh installs.)
MSG
}

if ! has_display; then
  echo "Note: no display is available; the program will be built but cannot be started." >&2
fi

bash "$ROOT/scripts/install-deps.sh"

if [[ ! -f "$BUILD/CMakeCache.txt" ]]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD" --target vantorel vantorel_lang -j "${JOBS:-2}"

if ! has_display; then
  no_display_help
  exit 1
fi

exec "$BUILD/bin/vantorel" "$@"
