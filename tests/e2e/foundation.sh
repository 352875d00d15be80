#!/usr/bin/env bash
# One end-to-end case of the start-up code under Wine.
# Usage: foundation.sh CASE MGLAUNCHER RUNNER PROBE BINDIR   (WINEPREFIX set)
set -u
case_name=$1 launcher=$2 runner=$3 probe=$4 bindir=$5
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
probe9x=$bindir/probe9x/mglauncher9x.exe
launcher9x=$bindir/launcher9x/mglauncher9x.exe
# Files the programs write live on the prefix's C: drive.
work_unix=$WINEPREFIX/drive_c/mgtest-foundation-$case_name
work_win='C:\mgtest-foundation-'$case_name
rm -rf "$work_unix" && mkdir -p "$work_unix"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run EXE MODE [TEXT]: the runner's output in $out, the exit code in $rc.
run() {
  out=$(wine "$runner" "$@" 2>&1 | tr -d '\r')
  rc=$(printf '%s\n' "$out" | sed -n 's/^exit code: //p')
}

expect_exit0() {
  [ "$rc" = 0 ] || fail "$1: exit code '$rc', output: $out"
}

# probe_split EXE TEXT EXPECTED-LINES...: the probe's record of one run.
probe_split() {
  local exe=$1 text=$2 ansi=$3
  shift 3
  rm -f "$work_unix/probe.txt"
  MG_PROBE_OUT="$work_win\\probe.txt" run "$exe" raw "$text"
  expect_exit0 "probe [$text]"
  local expected
  expected=$(printf 'useAnsiApi=%s\n' "$ansi"; for a in "$@"; do printf 'arg=%s\n' "$a"; done)
  local got
  got=$(tr -d '\r' < "$work_unix/probe.txt" 2>/dev/null)
  [ "$got" = "$expected" ] || fail "[$text]: got <<$got>> expected <<$expected>>"
}

case $case_name in
exit-no-payload)
  # No payload: whatever the driver reports, the process ends with 0.
  run "$launcher" raw ""
  expect_exit0 "no arguments"
  run "$launcher" raw "-mg:silent some args"
  expect_exit0 "silent with arguments"
  ;;
exit-reported-error)
  # An error that ends the run is shown once, and the exit code stays 0.
  run "$probe" raw "--throw \"Unable to load the launcher file index. x\""
  expect_exit0 "reported error"
  [ "$(printf '%s\n' "$out" | grep -c '^message: ')" = 1 ] || fail "expected one message box: $out"
  printf '%s\n' "$out" | grep -qx 'message: Unable to load the launcher file index. x' || fail "message text: $out"
  ;;
trace)
  DBGWIN32TVX="$work_win\\trace.txt" run "$launcher" raw "-mg:silent"
  expect_exit0 "trace"
  printf 'Launcher Started\r\n' | cmp -s -n 18 - "$work_unix/trace.txt" ||
    fail "trace does not begin with the start line: $(od -c "$work_unix/trace.txt" 2>&1 | head -3)"
  # A second run appends.
  DBGWIN32TVX="$work_win\\trace.txt" run "$launcher" raw "-mg:silent"
  [ "$(grep -c 'Launcher Started' "$work_unix/trace.txt")" = 2 ] || fail "second run did not append"
  ;;
trace-unwritable)
  DBGWIN32TVX='C:\no\such\directory\trace.txt' run "$launcher" raw "-mg:silent"
  expect_exit0 "trace in a missing directory"
  DBGWIN32TVX="$work_win" run "$launcher" raw "-mg:silent"
  expect_exit0 "trace path is a directory"
  ;;
trace-empty)
  # Set but empty: no trace, and the run is not affected.
  DBGWIN32TVX= run "$launcher" raw "-mg:silent"
  expect_exit0 "empty trace variable"
  ;;
empty-command-line)
  run "$launcher" empty
  expect_exit0 "empty command line"
  run "$probe9x" empty
  expect_exit0 "empty command line, 9x family"
  ;;
huge-command-line)
  # Near the system's limit of 32767 characters.
  run "$launcher" huge 32000
  expect_exit0 "huge command line"
  rm -f "$work_unix/probe.txt"
  MG_PROBE_OUT="$work_win\\probe.txt" run "$probe9x" huge 32000
  expect_exit0 "huge command line, 9x family"
  n=$(grep -c '^arg=argument with a space' "$work_unix/probe.txt")
  [ "$n" -gt 1000 ] || fail "huge command line split into $n spaced arguments"
  ;;
split-9x)
  # The 9x family splits the ANSI command line by its own rules.
  probe_split "$probe9x" '"a b" c' 1 'a b' c
  probe_split "$probe9x" 'x"a b"y' 1 'xa by'
  probe_split "$probe9x" '"ab"cd' 1 ab cd
  probe_split "$probe9x" 'a\"b' 1 'a"b'
  probe_split "$probe9x" 'a\b' 1 'a\b'
  probe_split "$probe9x" '""' 1
  probe_split "$probe9x" 'x\' 1 x
  probe_split "$probe9x" '  -mg:log "C:\my logs\l.txt"  ' 1 -mg:log 'C:\my logs\l.txt'
  ;;
split-nt)
  # The NT family uses the system's splitter: empty quoted arguments stay.
  probe_split "$probe" '"a b" c' 0 'a b' c
  probe_split "$probe" '""' 0 ''
  probe_split "$probe" 'a "" b' 0 a '' b
  probe_split "$probe" 'a\"b' 0 'a"b'
  ;;
compat-98)
  # NT running the launcher in its Windows 98 compatibility mode: GetVersionExA
  # says 9x, the kernel says NT. The launcher keeps to the NT ways: the
  # system's splitter (an empty quoted argument stays) ...
  rm -f "$work_unix/probe.txt"
  MG_PROBE_VERSION_LIE=98 MG_PROBE_OUT="$work_win\\probe.txt" run "$probe" raw '"a b" "" c'
  expect_exit0 "compatibility mode"
  got=$(tr -d '\r' < "$work_unix/probe.txt" 2>/dev/null)
  expected=$(printf 'GetVersionExA platform=1\nuseAnsiApi=0\narg=a b\narg=\narg=c')
  [ "$got" = "$expected" ] || fail "compatibility mode: got <<$got>> expected <<$expected>>"
  # ... and removes itself through a batch file, which NT runs, not through
  # WinInit.Ini, which NT ignores.
  mkdir -p "$work_unix/self"
  cp "$probe" "$work_unix/self/mglauncher.exe"
  MG_PROBE_VERSION_LIE=98 DBGWIN32TVX="$work_win\\trace.txt" run "$work_unix/self/mglauncher.exe" raw --orig
  expect_exit0 "compatibility mode, self-removal"
  trace=$(tr -d '\r' < "$work_unix/trace.txt" 2>/dev/null)
  printf '%s\n' "$trace" | grep -q '^Launcher: Cleanup batch file called: ' || fail "no batch file: $trace"
  printf '%s\n' "$trace" | grep -q 'wininit' && fail "WinInit.Ini used under NT: $trace"
  for _ in $(seq 1 $((50 * ${MG_TIME_FACTOR:-1}))); do
    [ -e "$work_unix/self" ] || break
    sleep 0.2
  done
  [ -e "$work_unix/self" ] && fail "the batch file did not remove the launcher: $(ls "$work_unix/self")"
  ;;
real-9x)
  # The real launcher under the 9x family: traced, ends with 0.
  DBGWIN32TVX="$work_win\\trace9x.txt" run "$launcher9x" raw '-mg:silent "a b" x\'
  expect_exit0 "9x family"
  grep -q 'Launcher Started' "$work_unix/trace9x.txt" || fail "no trace line under the 9x family"
  ;;
*)
  echo "unknown case $case_name"
  exit 2
  ;;
esac

rm -rf "$work_unix"
if [ "$failures" -gt 0 ]; then
  echo "$case_name: $failures failure(s)"
  exit 1
fi
echo "$case_name: ok"
