#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds, tests and runs with.
# Only what is missing is installed, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl-dev libqt6sql6-sqlite
  qt6-multimedia-dev libsndfile1-dev pulseaudio pulseaudio-utils
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev libcsv-dev libssl-dev
  clang libclang-rt-14-dev clang-format
  fonts-dejavu-core xvfb xauth
  librsvg2-bin desktop-file-utils appstream man-db lintian dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
