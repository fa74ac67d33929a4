#!/usr/bin/env bash
# Installs what is missing, builds, and opens the programming window.
#
#   scripts/run.sh                      against the built-in emulator (no pager needed)
#   scripts/run.sh --port /dev/ttyUSB0  against a programmer board on that port
#
# Without a display (no DISPLAY or WAYLAND_DISPLAY) the same job runs through
# mk843nb-cli instead: read the pager into a table file and list it.
set -euo pipefail
cd "$(dirname "$0")/.."

port=
if [ "${1:-}" = "--port" ] && [ -n "${2:-}" ]; then port=$2; fi

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target mk843nb mk843nb-cli mk843nb-sim

sim_pid=
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait 2>/dev/null || true; }
trap cleanup EXIT

if [ -z "$port" ]; then
  # The emulator prints its pseudo-terminal on its first line.
  sim_out=$(mktemp)
  build/tools/sim/mk843nb-sim >"$sim_out" &
  sim_pid=$!
  for _ in $(seq 100); do [ -s "$sim_out" ] && break; sleep 0.05; done
  port=$(head -n 1 "$sim_out")
  rm -f "$sim_out"
  echo "Pager emulator on $port"
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  build/src/app/mk843nb --port "$port"
else
  echo "No display: reading the pager with mk843nb-cli instead of opening the window."
  out=${TMPDIR:-/tmp}/mk843nb-pager.tbl
  build/src/cli/mk843nb-cli read --port "$port" "$out"
  build/src/cli/mk843nb-cli show "$out"
fi
