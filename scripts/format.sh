#!/usr/bin/env bash
# Formats the tracked C and C++ sources with the committed .clang-format. With --check it
# changes nothing and fails, naming each place, when a file is not formatted
# (clang-format --dry-run --Werror). Hand-aligned tables sit between
# "// clang-format off" and "// clang-format on".
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  --check) mode=(--dry-run --Werror) ;;
  "") mode=(-i) ;;
  *) echo "usage: scripts/format.sh [--check]" >&2; exit 2 ;;
esac
git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' |
  xargs -0 -r clang-format --style=file "${mode[@]}"
