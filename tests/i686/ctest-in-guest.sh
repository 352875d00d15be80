#!/usr/bin/env bash
# Runs inside the emulated machine: makes the i686 test build's Wine prefix
# first, with no time limit (a new prefix takes minutes under emulation, more
# than the prefix test's own limit), then its CTest with the arguments given.
# Usage: ctest-in-guest.sh I686-BUILD [CTEST-ARGUMENTS...]
set -u
build=$1
shift
here=$(cd "$(dirname "$0")/../.." && pwd)
started=$SECONDS
# The waits inside the cases stretch as the build's time limits do.
factor=$(sed -n 's/^MG_TEST_TIMEOUT_FACTOR:[A-Z]*=//p' "$build/CMakeCache.txt")
export MG_TIME_FACTOR=${factor:-1}
"$here/tests/make-wineprefix.sh" "$build/wineprefix" || echo "ctest-in-guest: the Wine prefix could not be made" >&2
# A program that crashes ends at once: Wine's debugger would take many
# minutes under emulation, and it keeps the case's output pipe open, so the
# case and every case sharing its Wine session would run into their limits.
WINEPREFIX=$build/wineprefix WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\DllOverrides' \
  /v winedbg.exe /d '' /f >/dev/null 2>&1
echo "ctest-in-guest: Wine prefix ready after $((SECONDS - started)) s"
exec ctest --test-dir "$build" "$@"
