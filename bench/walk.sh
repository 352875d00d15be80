#!/usr/bin/env bash
# Benchmark (not a test): files per second of the exhaustive search's walker
# over a generated tree, against a bare FindFirstFile walk of the same tree
# (both in bench/walk_bench.exe, under Wine) and against the host's find.
#
# Usage: bench/walk.sh [WINDOWS_BUILD_DIR] [FILES]   (default build/windows, 100000)
# The tree lives in the build's Wine prefix and is mapped to drive W: while
# the benchmark runs; both are removed afterwards.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/windows}" && pwd)
files=${2:-100000}
bench=$build/bench/walk_bench.exe
[ -f "$bench" ] || { echo "missing $bench: build the Windows target walk_bench first" >&2; exit 1; }
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || "$here/../tests/make-wineprefix.sh" "$WINEPREFIX"

tree=$WINEPREFIX/mgbench-walk-tree
drive=$WINEPREFIX/dosdevices/w:
[ -e "$drive" ] && { echo "drive W: is already mapped in $WINEPREFIX" >&2; exit 1; }
trap 'rm -f "$drive"; rm -rf "$tree"' EXIT
rm -rf "$tree"
# 100 top folders of 10 subfolders of (files / 1000) files, plus a few
# folders deep down, as a drive's tree has.
python3 - "$tree" "$files" <<'PY'
import os, sys
root, total = sys.argv[1], int(sys.argv[2])
per = max(1, total // 1000)
made = 0
for a in range(100):
    for b in range(10):
        d = os.path.join(root, "dir%03d" % a, "sub%02d" % b)
        os.makedirs(d)
        for f in range(per):
            if made >= total:
                break
            open(os.path.join(d, "file%04d.dat" % f), "w").close()
            made += 1
deep = os.path.join(root, *["deep%02d" % i for i in range(30)])
os.makedirs(deep)
PY
ln -s "$tree" "$drive"

wine "$bench" 'W:\' 1 >/dev/null 2>&1 || true  # warm the prefix and caches
wine "$bench" 'W:\' 3 2>/dev/null | tr -d '\r'

best=""
for _ in 1 2 3; do
  start=$(date +%s.%N)
  count=$(find "$tree" -type f | wc -l)
  end=$(date +%s.%N)
  t=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
  if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
done
awk -v t="$best" -v n="$count" 'BEGIN { printf "host find: %.3f s, %.0f files/s (native, no Wine)\n", t, n / t }'
