#!/usr/bin/env bash
# Builds and runs all tests: a warning-free build (the benchmarks are built too, not
# run), the fuzz targets built with clang, then the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The sources follow the committed .clang-format.
bash scripts/format.sh --check
# Only the include directions that the layout makes run against the folder order.
bash scripts/check-includes.sh
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBL_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300
}

run_suite build -DBL_BENCH=ON
# The fuzz targets build with the distribution's clang (built only: the corpora replay above
# as ordinary tests). Configured as the README's fuzz build, unoptimised: clang's warnings do
# not depend on the optimisation, and the build is much quicker.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DBL_WERROR=ON -DBL_FUZZ=ON
cmake --build build-fuzz -j "$jobs" --target bl_fuzz
if [ "${BL_SKIP_SANITIZERS:-0}" != "1" ]; then
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-sanitize -DBL_SANITIZE=ON
fi
