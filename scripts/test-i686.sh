#!/usr/bin/env bash
# Runs the 32-bit Wine and end-to-end suites against the shipped 32-bit
# launchers: the whole of them, or the part that CTEST-ARGUMENTS select.
# Where this machine's Wine runs 32-bit programs they run here; elsewhere in
# the emulated machine (scripts/i686-machine.sh).
# Usage: scripts/test-i686.sh [CTEST-ARGUMENTS...]   (build dir: MG_BUILD, default build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${MG_BUILD:-$here/build}
"$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)"
started=$SECONDS
if [ "$("$here/scripts/windows-arch.sh")" = i686 ]; then
  xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --test-dir "$build/windows" --output-on-failure -j2 "$@"
else
  "$here/scripts/i686-machine.sh" image
  i686=$build/windows-i686-tests
  file "$build/windows-i686/launcher/mglauncher.exe" "$build/windows-i686/launcher/mglauncher-console.exe"
  cd "$build"
  MG_I686_LOCAL=$i686/wineprefix "$here/scripts/i686-machine.sh" run \
    "$here/tests/i686/ctest-in-guest.sh" "$i686" --output-on-failure -j2 "$@"
fi
echo "test-i686: the suite took $((SECONDS - started)) s"
