#!/usr/bin/env bash
# Builds everything and runs every test (native, under Wine, end to end).
# Usage: scripts/test.sh [build-dir]    (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
"$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)"
# Wine needs a display for any window; one Xvfb serves the whole run.
xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir "$build" --output-on-failure -j2
