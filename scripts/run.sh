#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
out=${TMPDIR:-/tmp}/mk843nb-default.tbl
build/src/cli/mk843nb-cli new "$out"
build/src/cli/mk843nb-cli show "$out"
