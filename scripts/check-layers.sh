#!/usr/bin/env bash
# Fails when a product file includes from a higher layer, so that the
# folders stay the layers and only reach down. The order, bottom up:
#   base text ui system payload instructions jvm launch launcher
# tools/ (mgpack) stands beside launcher/ on the layers below it; resources/ is data.
# Tests, fuzzers, benchmarks and docs may include any layer.
# Usage: scripts/check-layers.sh [source-dir]
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root"

layers=(base text ui system payload instructions jvm launch launcher)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done
rank[tools]=${rank[launcher]}
rank[resources]=-1

status=0
checked=0
while IFS= read -r file; do
  folder=${file%%/*}
  [ -n "${rank[$folder]+x}" ] || continue
  case "$file" in */tests/*) continue ;; esac
  checked=$((checked + 1))
  while IFS= read -r included; do
    target=${included%%/*}
    [ "$target" = "$folder" ] && continue
    if [ -z "${rank[$target]+x}" ]; then
      echo "$file includes $included: not a layer"
      status=1
    elif [ "${rank[$target]}" -ge "${rank[$folder]}" ]; then
      echo "$file includes $included: $target is not below $folder"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\/[^"]*\)".*/\1/p' "$file")
done < <(git ls-files -co --exclude-standard -- '*.h' '*.cpp' '*.inc')

if [ "$status" = 0 ]; then
  echo "layers: $checked files include only from their own folder or below"
fi
exit "$status"
