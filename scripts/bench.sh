#!/usr/bin/env bash
# Builds the benchmark programs (RelWithDebInfo) and runs each; every one prints
# its figures and the goal it is judged by.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target bench_image bench_cli_new bench_editor bench_link_transfer bench_fleet_run bench_fleet_hands_free bench_fleet_plan bench_tones_check bench_tones_chart bench_startup bench_cli_startup \
  mk843nb-cli mk843nb-sim
run() { echo; echo "== $*"; "$@"; }
run build/bench/image/bench_image
run build/bench/image/bench_cli_new
run build/bench/editor/bench_editor
run build/bench/link/bench_link_transfer
run build/bench/fleet/bench_fleet_run
run build/bench/fleet/bench_fleet_hands_free
run build/bench/fleet/bench_fleet_plan
run build/bench/tones/bench_tones_check
QT_QPA_PLATFORM=offscreen run build/bench/tones/bench_tones_chart
QT_QPA_PLATFORM=offscreen run build/bench/app/bench_startup
run build/bench/cli/bench_cli_startup
