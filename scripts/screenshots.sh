#!/usr/bin/env bash
# Builds mk843nb-screenshots and saves a picture of every window in FOLDER
# (default: build/screenshots) three times: at design size (FOLDER/design),
# at twice the size as on a high-density screen (FOLDER/scaled) and in a dark
# palette (FOLDER/dark). On a virtual X display so the pictures look as on a
# desktop; without xvfb-run, on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$(realpath -m "${1:-build/screenshots}")

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target mk843nb-screenshots

shoot() {
  if command -v xvfb-run >/dev/null; then
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" build/tools/screenshots/mk843nb-screenshots "$@"
  else
    QT_QPA_PLATFORM=offscreen build/tools/screenshots/mk843nb-screenshots "$@"
  fi
}

shoot "$folder/design"
QT_SCALE_FACTOR=2 shoot "$folder/scaled"
shoot --dark "$folder/dark"
