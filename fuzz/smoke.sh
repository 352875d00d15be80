#!/usr/bin/env bash
# One short, repeatable fuzz run for CTest: a fixed number of inputs from a
# fixed seed, starting from the committed seeds, with new inputs kept in a
# fresh working folder so the seeds stay as they are.
#   fuzz/smoke.sh target-executable name runs work-dir
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
target=$1 name=$2 runs=$3 work=$4
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
dict=()
[ -f "$here/$name.dict" ] && dict=(-dict="$here/$name.dict")
exec "$target" "$work/corpus" "$here/corpus/$name" "${dict[@]}" -seed=1 -runs="$runs" \
  -artifact_prefix="$work/artifacts/" -timeout=60 -rss_limit_mb=2048 -print_final_stats=1
