#!/usr/bin/env bash
# One end-to-end case of temporary items, extraction and self-removal, run
# with the real programs under Wine.
# Usage: temp.sh CASE MGLAUNCHER MGPACK TEMP_TESTS RUNNER BINDIR   (WINEPREFIX set)
# RUNNER (temp_run.exe) waits for a program: Wine does not wait for a GUI
# program started straight from the shell.
set -u
case_name=$1 launcher=$2 mgpack=$3 extract_tests=$4 runner=$5 bindir=$6
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work_unix=$WINEPREFIX/drive_c/mgtest-temp-$case_name
work_win='C:\mgtest-temp-'$case_name
rm -rf "$work_unix" && mkdir -p "$work_unix"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# launch EXE ARGS...: runs the launcher to its end; its exit code must be 0.
launch() {
  local out
  out=$(wine "$runner" "$@" 2>&1 | tr -d '\r')
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "run of $*: $out"
}

# wait_gone PATH: true once PATH has disappeared, polling for up to 30 s.
wait_gone() {
  for _ in $(seq 1 $((150 * ${MG_TIME_FACTOR:-1}))); do
    [ -e "$1" ] || return 0
    sleep 0.2
  done
  return 1
}

case $case_name in
self-nt)
  # A launcher started with -mg:orig from a temporary directory removes
  # itself and that directory through a batch file that then deletes itself.
  mkdir -p "$work_unix/LRE1.tmp" "$work_unix/root"
  cp "$launcher" "$work_unix/LRE1.tmp/mglauncher.exe"
  DBGWIN32TVX="$work_win\\trace.txt" launch "$work_win\\LRE1.tmp\\mglauncher.exe" -mg:silent \
    -mg:tempdir "$work_win\\root" -mg:orig 'C:\original.exe'
  wait_gone "$work_unix/LRE1.tmp" || fail "launcher directory still there: $(ls -R "$work_unix/LRE1.tmp")"
  for _ in $(seq 1 $((50 * ${MG_TIME_FACTOR:-1}))); do
    [ -z "$(ls -A "$work_unix/root")" ] && break
    sleep 0.2
  done
  [ -z "$(ls -A "$work_unix/root")" ] || fail "batch file left behind: $(ls "$work_unix/root")"
  trace=$(tr -d '\r' < "$work_unix/trace.txt")
  bat=$(printf '%s\n' "$trace" | sed -n 's/^Launcher: Cleanup batch file called: \(.*\)\.tmp$/\1.bat/p')
  [ -n "$bat" ] || fail "no batch-file trace line: $trace"
  case $bat in "$work_win\\root\\LRE"*) ;; *) fail "batch file not in -mg:tempdir: $bat" ;; esac
  printf '%s\n' "$trace" | grep -qxF "Deleting $work_win\\LRE1.tmp\\mglauncher.exe from within batch file. " ||
    fail "batch did not trace the deletion: $trace"
  printf '%s\n' "$trace" | grep -qxF "Deleted batch file $bat from within batch file. " ||
    fail "batch did not trace its own deletion: $trace"
  ;;
self-9x)
  # On the 9x family the launcher asks WinInit.Ini to delete it at the next start.
  ini=$(find "$WINEPREFIX/drive_c/windows" -maxdepth 1 -iname wininit.ini | head -1)
  saved=$work_unix/wininit.saved
  [ -n "$ini" ] && cp "$ini" "$saved"
  mkdir -p "$work_unix/LRE2.tmp"
  cp "$launcher" "$work_unix/LRE2.tmp/mglauncher9x.exe"
  DBGWIN32TVX="$work_win\\trace.txt" launch "$work_win\\LRE2.tmp\\mglauncher9x.exe" -mg:silent \
    -mg:orig 'C:\original.exe'
  ini=$(find "$WINEPREFIX/drive_c/windows" -maxdepth 1 -iname wininit.ini | head -1)
  text=$(cat "$ini" 2>/dev/null)
  grep -qxF 'Launcher: Writing to wininit.ini to cleanup' <(tr -d '\r' < "$work_unix/trace.txt") ||
    fail "no WinInit.Ini trace line"
  [ "$(printf '%s\n' "$text" | grep -c '^\[Rename\]$')" = 1 ] || fail "one [Rename] section expected: $text"
  # Entries carry short (8.3) paths.
  printf '%s\n' "$text" | grep -q '^NUL=C:\\[^\\]*\\LRE2\.tmp\\[^\\]*\.EXE$' || fail "no entry for the executable: $text"
  printf '%s\n' "$text" | grep -q '^NUL=C:\\[^\\]*\\LRE2\.tmp$' || fail "no entry for its directory: $text"
  # Put the prefix's WinInit.Ini back as it was.
  if [ -f "$saved" ]; then cp "$saved" "$ini"; else rm -f "$ini"; fi
  ;;
extract)
  # -mg:extract writes every embedded file and an input.tag into the current directory.
  src=$work_unix/src
  mkdir -p "$src" "$work_unix/out"
  printf 'INSTRUCTIONS:\n"LABEL end"\n/:\n' > "$src/instructions.txt"
  printf 'JVM_VERSION: "1.3"\n' > "$src/jvm1.txt"
  printf 'JVM_VERSION: "1.4"\n' > "$src/jvm2.txt"
  printf 'DESC: "Demo"\n' > "$src/launch.txt"
  head -c 300000 /dev/urandom > "$src/app.jar"
  (cd "$work_unix" && wine "$mgpack" build --no-check --stub "$(winepath -w "$launcher")" -o packed.exe \
     --file instructions src\\instructions.txt --file jvm-file src\\jvm1.txt --file launch-script src\\launch.txt \
     --file jvm-file src\\jvm2.txt --file application-archive src\\app.jar) >/dev/null 2>&1 ||
    fail "mgpack build failed"
  cd "$work_unix/out"
  launch '..\packed.exe' -mg:silent -mg:extract
  cd - >/dev/null
  for f in instructions.txt jvm1.txt jvm2.txt launch.txt app.jar; do
    cmp -s "$src/$f" "$work_unix/out/$f" || fail "$f not extracted intact"
  done
  tag=$(tr -d '\r' < "$work_unix/out/input.tag" 2>/dev/null)
  for want in ACTION RUN_INSTRUCTIONS INSTRUCTIONS: instructions.txt LAUNCHSCRIPT: launch.txt JVM: jvm1.txt jvm2.txt; do
    printf '%s\n' "$tag" | grep -qF "$want" || fail "input.tag lacks $want: $tag"
  done
  ;;
small-drive)
  # Extraction onto a nearly full drive: a 1 MB tmpfs mapped to drive S:.
  mnt=$bindir/temp-small-drive
  mkdir -p "$mnt"
  if mount -t tmpfs -o size=1m mg-small "$mnt" 2>/dev/null; then
    ln -sfn "$mnt" "$WINEPREFIX/dosdevices/s:"
    MG_TEST_SMALL_DRIVE='S:' wine "$extract_tests" --gtest_filter='*SmallDrive*' > "$work_unix/out.txt" 2>&1
    rc=$?
    rm -f "$WINEPREFIX/dosdevices/s:"
    umount "$mnt"
    tr -d '\r' < "$work_unix/out.txt"
    [ $rc = 0 ] || fail "small-drive test failed"
    grep -q '1 test.*PASSED\|PASSED.*1 test' "$work_unix/out.txt" || fail "the small-drive test did not run"
  else
    echo "SKIP: mounting a tmpfs is not permitted here (needs root); the small-drive case is not run"
    rm -rf "$work_unix"
    exit 77
  fi
  ;;
*)
  echo "unknown case $case_name"
  exit 2
  ;;
esac

if [ $failures -eq 0 ]; then rm -rf "$work_unix"; fi
exit $((failures > 0))
