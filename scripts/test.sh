#!/usr/bin/env bash
# Builds and runs all tests: a warning-free build under AddressSanitizer and
# UndefinedBehaviorSanitizer (the benchmarks are built too, not run) and its tests, then the
# fuzz targets built with the distribution's clang. BL_SKIP_SANITIZERS=1 builds and tests
# without the sanitizers instead (quicker, for a first look).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The sources follow the committed .clang-format.
bash scripts/format.sh --check
# Only the include directions that the layout makes run against the folder order.
bash scripts/check-includes.sh
jobs=$(nproc)
# Line tables are enough for the sanitizers' reports, and much cheaper to build than full
# debug information.
flags="-O2 -g1 -DNDEBUG"

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBL_WERROR=ON -DBL_BENCH=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300
}

if [ "${BL_SKIP_SANITIZERS:-0}" = "1" ]; then
  run_suite build
else
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-sanitize -DBL_SANITIZE=ON
fi
# The fuzz targets build with the distribution's clang (built only: the corpora replay above
# as ordinary tests). Configured as the README's fuzz build, unoptimised: clang's warnings do
# not depend on the optimisation, and the build is much quicker.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DBL_WERROR=ON -DBL_FUZZ=ON
cmake --build build-fuzz -j "$jobs" --target bl_fuzz
