#!/usr/bin/env bash
# Runs the i686 test build's tests that match REGEX in the emulated machine,
# writing their results to RESULTS (JUnit XML) for tests/i686/result.py.
# Usage: run-chosen.sh I686-BUILD RESULTS REGEX
# Exits 0 once the results are written, whatever they say: each case reports
# its own outcome. Otherwise the machine's own failure comes through.
set -u
build=$1 results=$2 regex=$3
here=$(cd "$(dirname "$0")/../.." && pwd)
rm -f "$results"
file "$build/../windows-i686/launcher/mglauncher.exe"
# The build's Wine prefix lives in the guest's memory: far faster than over
# the shared folder, and gone with the machine.
MG_I686_LOCAL=$build/wineprefix "$here/scripts/i686-machine.sh" run \
  "$here/tests/i686/ctest-in-guest.sh" "$build" --output-on-failure -j2 --output-junit "$results" -R "$regex"
rc=$?
if [ -s "$results" ]; then exit 0; fi
echo "run-chosen: the emulated machine wrote no results (exit code $rc)" >&2
exit "$(( rc == 0 ? 1 : rc ))"
