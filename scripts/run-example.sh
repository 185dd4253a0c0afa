#!/usr/bin/env bash
# The main job: builds baronlink and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
echo "== baronlink AUDIT"
./build/baronlink AUDIT
