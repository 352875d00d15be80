#!/usr/bin/env bash
# One end-to-end case of the instructions interpreter: a launcher built by
# mgpack.exe around an embedded program, run under Wine with -mg:log, whose
# log must hold the interpreter's report.
# Usage: instr.sh CASE MGLAUNCHER MGPACK RUNNER   (WINEPREFIX set)
set -u
case_name=$1 launcher=$2 mgpack=$3 runner=$4
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work_unix=$WINEPREFIX/drive_c/mgtest-instr-$case_name
work_win='C:\mgtest-instr-'$case_name
rm -rf "$work_unix" && mkdir -p "$work_unix" && cd "$work_unix" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# packed PROGRAM-TEXT: sample.exe with that instructions file embedded.
packed() {
  printf '%s' "$1" > instructions.txt
  cp "$launcher" mglauncher.exe
  wine "$mgpack" build --no-check --stub mglauncher.exe -o sample.exe --file instructions instructions.txt \
    > pack.out 2>&1 || fail "mgpack: $(tr -d '\r' < pack.out)"
}
# run: sample.exe, silent, logging to run.log; it must end with exit code 0.
run() {
  out=$(timeout $((120 * ${MG_TIME_FACTOR:-1})) wine "$runner" sample.exe raw "-mg:silent -mg:log $work_win\\run.log" 2>&1 | tr -d '\r')
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "run: $out"
}
# expect_error TEXT: the log's error record, exactly.
expect_error() {
  local got
  got=$(tr -d '\r' < run.log 2>/dev/null | grep '^ERROR: ')
  [ "$got" = "ERROR: $1" ] || fail "error record:
--- got
$got
--- expected
ERROR: $1"
}

case $case_name in
line-number)
  # The statement number counts statements only, not blank lines or tags.
  packed $'DESC: line numbers\n\nINSTRUCTIONS:\n\n  SET S1 = hello\n\n  // a comment\n  FIND_JVM 1 2\n/:\n'
  run
  expect_error 'Error in instructions.  Invalid boolean value (2) Line number (3)'
  ;;
jumps)
  # A backward jump to the first statement, a computed reference stored with
  # @@, and an error that shows which way the program went.
  packed $'INSTRUCTIONS:\n  :TOP\n  JMP0 @N1@ FIRST\n  INSTALL_JVM @S1@\n  :FIRST\n  SET N1 = 1\n  SET S1 = x@@S2@@\n  SET S2 = second\n  GOTO TOP\n/:\n'
  run
  expect_error 'Error in instructions. Invalid numeric expression (xsecond) Line number (3)'
  ;;
runaway)
  # A variable that reproduces its own reference ends the run with an error.
  packed $'INSTRUCTIONS:\n  SET S6 = @@S6@@@@\n  SET S7 = @S6@\n/:\n'
  run
  expect_error 'Error in instructions. Invalid expression specified for SET command Variable references still expand after 1000 passes. A variable may hold its own reference. Line number (2)'
  ;;
*)
  echo "unknown case $case_name"
  exit 2
  ;;
esac

if [ $failures -eq 0 ]; then cd / && rm -rf "$work_unix"; fi
exit $((failures > 0))
