#!/usr/bin/env bash
# One end-to-end case of the console launcher under Wine, from cmd.exe.
# Usage: console.sh CASE MGLAUNCHER_CONSOLE MGPACK CTRL_C SOURCE_DIR HOST_BUILD
#   (WINEPREFIX set). The jvmhome fixture gives J:\jdk17 (java.exe bridge).
#   pipe     the packed sample (examples/console) reads a piped line, its
#            output redirected to a file; %ERRORLEVEL% and cmd's status are 3
#   no-jvm   no JVM can be found: the message (what is needed, where the log
#            is) on standard error, exit code 121
#   ctrl-c   Ctrl+C to the console while the sample waits for input ends it;
#            the launcher outlives it and cleans up
set -u
case_name=$1 launcher=$2 mgpack_exe=$3 ctrl_c=$4 src=$5 host=$6
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
e2e_workdir "mgtest-console-$case_name"
cp "$launcher" mglauncher-console.exe
cp "$src"/examples/console/{instructions.txt,launch.txt} "$src"/examples/sample/sample.jvm .
cp "$host/java/verify.jar" "$host/examples/upper.jar" .
mkdir tmp
# docs/console-launcher.md as written: the sample's files, its mgpack command.
block() { doc_block "$src/docs/console-launcher.md" "$@"; }
[ "$(block 1 text)" = "$(tr -d '\r' < instructions.txt)" ] || fail "the doc's program is not examples/console/instructions.txt"
[ "$(block 2 text)" = "$(tr -d '\r' < launch.txt)" ] || fail "the doc's launch script is not examples/console/launch.txt"
mgpack() { wine "$mgpack_exe" "$@" 2>&1 | tr -d '\r'; }
packed=$(eval "$(block 1 sh)")
[ -f upper.exe ] || fail "the doc's mgpack command made no upper.exe: $packed"
options="-mg:log $work_win\\run.log -mg:tempdir $work_win\\tmp"

case $case_name in
pipe)
  printf '@echo off\r\necho hello, world| upper.exe -mg:javahome J:\\jdk17 %s > out.txt 2> err.txt\r\n' "$options" > run.bat
  printf '>level.txt echo %%ERRORLEVEL%%\r\nexit /b %%ERRORLEVEL%%\r\n' >> run.bat
  timeout $((300 * ${MG_TIME_FACTOR:-1})) wine cmd /c run.bat
  status=$?
  [ $status = 3 ] || fail "cmd's exit status $status, not 3; err.txt: $(log_text err.txt); log: $(log_text run.log)"
  [ "$(log_text level.txt)" = 3 ] || fail "%ERRORLEVEL% was $(log_text level.txt), not 3"
  [ "$(log_text out.txt)" = "HELLO, WORLD" ] || fail "output: [$(log_text out.txt)]; log: $(log_text run.log)"
  [ ! -s err.txt ] || fail "standard error: $(log_text err.txt)"
  log_text run.log | grep -qxF 'The application ended with exit code 3.' || fail "log: $(log_text run.log)"
  ;;
no-jvm)
  printf '@echo off\r\nupper.exe -mg:javahome C:\\nowhere %s < nul > out.txt 2> err.txt\r\n' "$options" > run.bat
  printf 'exit /b %%ERRORLEVEL%%\r\n' >> run.bat
  timeout $((300 * ${MG_TIME_FACTOR:-1})) wine cmd /c run.bat
  status=$?
  [ $status = 121 ] || fail "exit status $status, not 121; log: $(log_text run.log)"
  # What the JVM file asks for and where the log is, as in docs/console-launcher.md.
  [ "$(log_text err.txt | tr '\n' '|')" = "No matching JVM was found.||This application needs:|Java 17 runtime||The log file has the details:|$work_win\\run.log|" ] ||
    fail "standard error: [$(log_text err.txt)]"
  [ ! -s out.txt ] || fail "standard output: $(log_text out.txt)"
  ;;
ctrl-c)
  # A terminal gives the programs a console to send the event on.
  cp "$ctrl_c" ctrl_c.exe
  timeout $((300 * ${MG_TIME_FACTOR:-1})) script -eqc "wine ctrl_c.exe '$work_win\\upper.exe -mg:javahome J:\\jdk17 $options' run.log \
    'Upper in current working directory'" /dev/null > ctrl_c.out 2>&1 < /dev/null ||
    fail "the launcher did not end after Ctrl+C: $(tr -d '\r' < ctrl_c.out); log: $(log_text run.log)"
  # The JVM's answer to SIGINT, passed on by the bridge and the launcher.
  log_text run.log | grep -qxF 'The application ended with exit code 130.' || fail "log: $(log_text run.log)"
  ;;
*) fail "unknown case $case_name" ;;
esac
# The launcher removed what it made, the extracted application among it.
[ -z "$(ls -A tmp)" ] || fail "left in the temporary folder: $(ls -A tmp)"
e2e_finish "console $case_name"
