#!/usr/bin/env bash
# Installs what the build and the tests need and this machine lacks (Debian/Ubuntu
# packages through apt-get); does nothing when all is there.
set -euo pipefail
need=()
for tool in cmake ninja g++ clang-format; do command -v "$tool" >/dev/null || need+=("$tool"); done
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/gmock/gmock.h ] || need+=(libgmock-dev)
[ -f /usr/include/zlib.h ] || need+=(zlib1g-dev)
[ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
# Boost.Math serves the function-library tests as an accuracy oracle.
[ -f /usr/include/boost/math/special_functions/gamma.hpp ] || need+=(libboost-math-dev)
# GLPK's glpsol reads the conversion writers' LP and MPS files back in an end-to-end test.
command -v glpsol >/dev/null || need+=(glpk-utils)
# The distribution's clang and its libFuzzer runtime build the fuzz targets.
command -v clang++ >/dev/null || need+=(clang)
fuzzer_runtime() {
  command -v clang++ >/dev/null &&
    [ -f "$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-$(uname -m).a" ]
}
fuzzer_runtime || need+=(libclang-rt-dev)
[ ${#need[@]} -eq 0 ] && exit 0
pkgs=()
for n in "${need[@]}"; do
  case $n in
    ninja) pkgs+=(ninja-build) ;;
    *) pkgs+=("$n") ;;
  esac
done
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${pkgs[@]}"
