#!/usr/bin/env bash
# Runs every benchmark and prints its figures (no pass or fail: see
# docs/performance.md for the goals and the latest figures).
#
# Usage: bench/run.sh [BUILD_DIR]   (default build, as scripts/test.sh makes it)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
section() { printf '\n== %s\n' "$*"; }
echo "machine: $(uname -srm), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version 2>/dev/null)"
section "Size";                       "$here/size.sh" "$build"
section "Instructions and launch script (native)"; "$build/bench/mg_bench_throughput" 2
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  section() { printf "\n== %s\n" "$*"; }
  section "Start-up overhead (Wine)";  "$0/startup.sh" "$1"
  section "Extraction (Wine)";         "$0/extract.sh" "$1/windows"
  section "Walk (Wine)";               "$0/walk.sh" "$1/windows"
' "$here" "$build"
