#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite three ways:
# a normal build (and a check of the installed tree and the .deb), a build under
# AddressSanitizer + UndefinedBehaviorSanitizer, and the libFuzzer targets for a
# bounded time each. Fails on the first failure. Every build treats warnings as
# errors.
#
#   scripts/test.sh           the full run, as CI does it
#   scripts/test.sh --quick   the daily loop: format check, the normal build
#                             and its tests (no install check, no sanitizer
#                             build, no fuzzing)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
fuzz_seconds=${MK843NB_FUZZ_SECONDS:-30}

quick=0
case "${1:-}" in
  "") ;;
  --quick) quick=1 ;;
  *) echo "usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

scripts/install-deps.sh

echo "== format (clang-format --dry-run --Werror)"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== build and test (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMK843NB_WERROR=ON \
  "${launcher[@]}" >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
if ((quick)); then
  echo "Quick run passed (the full run adds the install check, the sanitizer build and fuzzing)."
  exit 0
fi

echo "== installed tree and .deb (scripts/check-install.sh)"
scripts/check-install.sh build

echo "== build and test under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMK843NB_SANITIZE=ON \
  -DMK843NB_BENCH=OFF -DMK843NB_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz (${fuzz_seconds}s a target)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMK843NB_FUZZ=ON -DMK843NB_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j "$jobs"
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  # The corpora stay in the build folder, so every run goes on from the last.
  if [ -d "fuzz/seeds/$name" ]; then seeds=(fuzz/seeds/"$name"/*); else seeds=(tests/fixtures/*.tbl); fi
  cp -n "${seeds[@]}" "$corpus"/ 2>/dev/null || true
  echo "-- $name"
  "$target" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$corpus" 2>build-fuzz/$name.log \
    || { tail -n 40 build-fuzz/$name.log; exit 1; }
done
echo "All suites passed."
