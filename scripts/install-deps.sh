#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Vantorel needs.
# Does nothing when they are all present already.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-l10n-tools
  libgl-dev
  libxdo-dev libx11-dev xdotool
  libcli11-dev nlohmann-json3-dev
  zlib1g-dev libssl-dev libarchive-dev libdivsufsort-dev
  qt6-translations-l10n
  p7zip-full zip appstream bash-completion
  libfluidsynth-dev timgm6mb-soundfont
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev clang-format-14
  xvfb xauth x11-utils imagemagick openbox
  fonts-dejavu-core
  dpkg-dev file
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
