#!/usr/bin/env bash
# Builds everything and runs every test (native, under Wine, end to end).
# Usage: scripts/test.sh [build-dir]    (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
"$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)"
# Where this machine's Wine runs only 64-bit programs, a chosen part of the
# 32-bit suites runs in the emulated machine (i686.* below); its image is
# built here, once, so that its cost shows on its own.
if [ "$("$here/scripts/windows-arch.sh")" != i686 ]; then
  "$here/scripts/i686-machine.sh" image
fi
# Wine needs a display for any window; one Xvfb serves the whole run.
xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir "$build" --output-on-failure -j2

# The native unit tests again under AddressSanitizer and UBSan (any report
# aborts the test), in a build of the host modules only.
asan="$build-asan"
cmake -S "$here" -B "$asan" -DCMAKE_BUILD_TYPE=Debug -DMG_SANITIZE=ON -DMG_WINDOWS=OFF
cmake --build "$asan" -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$asan" -L native --output-on-failure -j2

# A short fuzz run of each libFuzzer target from its seeds, where clang is
# there to build them (a fixed seed and input count: a few seconds each).
if command -v clang++ >/dev/null 2>&1; then
  fuzz="$build-fuzz"
  cmake -S "$here" -B "$fuzz" -DCMAKE_BUILD_TYPE=Release -DMG_FUZZ=ON -DMG_WINDOWS=OFF \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
  mapfile -t targets < <(cmake --build "$fuzz" --target help | sed -n 's/^\.\.\. \(fuzz_[A-Za-z0-9_]*\).*/\1/p')
  cmake --build "$fuzz" -j"$(nproc)" --target "${targets[@]}"
  ctest --test-dir "$fuzz" -L fuzz --output-on-failure -j2
fi
