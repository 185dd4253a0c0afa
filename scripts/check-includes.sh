#!/usr/bin/env bash
# Checks the include directions of the program folders: a folder includes only from
# folders before it in the subsystem order, apart from the few arrows the layout itself
# makes (listed in the README's layout section and below). Prints each other upward
# include and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

order=(frame bindings funclib instance baron bridge emp)
declare -A rank
for i in "${!order[@]}"; do rank[${order[$i]}]=$i; done

# "including file pattern|included file pattern": the allowed upward arrows.
allowed=(
  "frame/main.cpp|baron/*"
  "frame/main.cpp|instance/*"
  "frame/*|bindings/xcompress.h"
  "frame/*|instance/zlmspecs.h"
  "funclib/*|instance/ctvnl.h"
  "funclib/*|instance/zlmspecs.h"
  "baron/*|emp/empdata.h"
)

is_allowed() {
  local from=$1 to=$2 rule
  for rule in "${allowed[@]}"; do
    # shellcheck disable=SC2053 # the rule's sides are glob patterns
    [[ $from == ${rule%%|*} && $to == ${rule#*|} ]] && return 0
  done
  return 1
}

bad=0
for dir in "${order[@]}"; do
  while IFS= read -r -d '' file; do
    while IFS= read -r target; do
      folder=${target%%/*}
      [[ -n ${rank[$folder]:-} ]] || continue
      ((rank[$folder] > rank[$dir])) || continue
      is_allowed "$file" "$target" && continue
      echo "upward include: $file -> $target"
      bad=1
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
  done < <(find "$dir" \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) -print0 | sort -z)
done
exit $bad
