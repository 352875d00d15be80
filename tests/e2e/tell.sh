#!/usr/bin/env bash
# One end-to-end case of what an end user is told when the application
# cannot start, under Wine with the shipped launchers and the java.exe bridge.
# Usage: tell.sh CASE MGLAUNCHER MGLAUNCHER_CONSOLE MGPACK RUNNER SOURCE_DIR HOST_BUILD
#   (WINEPREFIX set; the jvmhome fixture gives J:\jdk17, a Java 17)
#   no-jvm        no Java at all: the box names what is needed, where the log
#                 is and offers the vendor's page (answered No: nothing opens)
#   java17        Java 17 where 21 is needed: the same box; the log says why
#   open          the same box answered Yes: the shell opens the page
#   console       the console launcher prints the same on standard error,
#                 without the question, and ends with exit code 121
#   wrong-main    LAUNCH @S2@ 0 and a wrong main class: the failure message,
#                 though the window had gone
#   wrong-main-silent  the same with -mg:silent: no box, the run ends alone
#   no-display    the console launcher without a display: why, and code 120
# MG_SHOTS_DIR, when set, receives a screenshot of each box (needs a display).
set -u
case_name=$1 launcher=$2 console=$3 mgpack=$4 runner=$5 src=$6 host=$7
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
e2e_workdir "mgtest-tell-$case_name"
cp "$launcher" mglauncher.exe
cp "$console" mglauncher-console.exe
mkdir tmp
logged() { log_text run.log | grep -qxF -- "$1"; }
# docs/vendor-guide.md's program with a download page, and its JVM file.
doc_block "$src/docs/vendor-guide.md" 6 text > instructions.txt
grep -q '^JVM_DOWNLOAD_URL: https://' instructions.txt || fail "no download page in the guide's block 6: $(cat instructions.txt)"
url=$(sed -n 's/^JVM_DOWNLOAD_URL: //p' instructions.txt)
cp "$src/jvm/jvmfiles/java21-or-newer.jvm" need21.jvm
printf 'DESC: Test\nCOMMAND: """@JVM_HOME@\\@JVM_EXE@"" -cp ""%%APPLICATION_ARCHIVE%%()"" NoSuchMain"\n' > launch.txt
printf 'PK\3\4 app' > app.jar
cp "$src/examples/sample/sample.jvm" .
jvm=need21.jvm
pack() {  # STUB OUTPUT [more mgpack arguments]
  wine "$mgpack" build --stub "$1" -o "$2" --file instructions instructions.txt --file launch-script launch.txt \
    --file jvm-file "$jvm" --file verify-archive "$host/java/verify.jar" --file application-archive app.jar \
    "${@:3}" > pack.out 2>&1 || fail "mgpack $2: $(log_text pack.out)"
}
options="-mg:log $work_win\\run.log -mg:tempdir $work_win\\tmp"
# What the user reads when no JVM is found, lines joined by | as the runner
# reports a box.
needs="No matching JVM was found.||This application needs:|Java 21 or newer||The log file has the details:|$work_win\\run.log||Download page:|$url"
# Runs EXE as a user would, answering its boxes; a screenshot of the first
# box goes to MG_SHOTS_DIR as SHOT.png.
run_gui() {  # EXE SHOT [launcher arguments]
  rm -f run.log
  if [ -n "${MG_SHOTS_DIR:-}" ]; then
    MG_RUNNER_HOLD="$work_win\\shot.go" timeout 300 wine "$runner" "$work_win\\$1" raw "${*:3}" > runner.out 2>&1 &
    local pid=$!
    wait_for 120 grep -q '^message: ' runner.out && sleep 1 && import -window root "$MG_SHOTS_DIR/$2.png"
    touch shot.go
    wait $pid
  else
    timeout 300 wine "$runner" "$work_win\\$1" raw "${*:3}" > runner.out 2>&1
  fi
  out=$(log_text runner.out)
}

case $case_name in
no-jvm|java17|open)
  pack mglauncher.exe app.exe
  home='C:\nowhere'
  [ "$case_name" = java17 ] && home='J:\jdk17'
  handler='HKLM\Software\Classes\https\shell\open\command'
  [ "$case_name" = open ] && {
    # For this run, the shell's handler of https pages records the address
    # it is given (Wine's HKCR reads no per-user classes); the prefix's own
    # handler is put back after it.
    wine reg export "$handler" handler.reg /y > /dev/null 2>&1 || fail "cannot save the https handler"
    wine reg add "$handler" /ve /f /d "C:\\windows\\system32\\cmd.exe /c echo %1> $work_win\\opened.txt" \
      > /dev/null 2>&1
    export MG_RUNNER_ANSWER=yes
  }
  run_gui app.exe "$case_name" "-mg:javahome $home $options"
  [ "$case_name" = open ] && { wine reg import handler.reg > /dev/null 2>&1 || fail "the https handler not restored"; }
  printf '%s\n' "$out" | grep -qxF "message: $needs||Open the download page now?" || fail "the box: $out"
  [ "$(printf '%s\n' "$out" | grep -c '^message: ')" = 1 ] || fail "more than one box: $out"
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "runner: $out"
  logged 'No matching JVM was found.' || fail "log: $(log_text run.log)"
  if [ "$case_name" = java17 ]; then
    log_text run.log | grep -qF 'java.specification.version is 17, wanted >=21' || fail "no reason in the log: $(log_text run.log)"
  fi
  if [ "$case_name" = open ]; then
    logged "Opening the JVM download page $url" || fail "log: $(log_text run.log)"
    wait_for 30 test -s opened.txt || fail "the shell opened nothing"
    [ "$(log_text opened.txt | sed 's/ *$//')" = "$url" ] || fail "the shell opened [$(log_text opened.txt)]"
  else
    log_text run.log | grep -q '^Opening' && fail "opened though answered No: $(log_text run.log)"
  fi
  ;;
console)
  pack mglauncher-console.exe app.exe
  printf '@echo off\r\napp.exe -mg:javahome J:\\jdk17 %s < nul > out.txt 2> err.txt\r\nexit /b %%ERRORLEVEL%%\r\n' \
    "$options" > run.bat
  timeout 300 wine cmd /c run.bat
  status=$?
  [ $status = 121 ] || fail "exit status $status, not 121; log: $(log_text run.log)"
  [ "$(log_text err.txt | tr '\n' '|')" = "$needs|" ] || fail "standard error: [$(log_text err.txt)]"
  [ ! -s out.txt ] || fail "standard output: $(log_text out.txt)"
  ;;
wrong-main)
  jvm=sample.jvm
  pack mglauncher.exe app.exe
  run_gui app.exe wrong-main "-mg:javahome J:\\jdk17 $options"
  printf '%s\n' "$out" | grep -q '^message: The application ended with exit code 1\.||.*NoSuchMain' ||
    fail "no message with the exit code and the JVM's error: $out"
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "runner: $out"
  logged 'The application ended with exit code 1.' || fail "log: $(log_text run.log)"
  logged 'The application failed within 10 seconds of its start; the user is shown its error output.' ||
    fail "log: $(log_text run.log)"
  ;;
wrong-main-silent)
  jvm=sample.jvm
  pack mglauncher.exe app.exe
  e2e_run app.exe "-mg:javahome J:\\jdk17"
  logged 'The application ended with exit code 1.' || fail "log: $(log_text run.log)"
  log_text run.log | grep -q 'NoSuchMain' || fail "no error output in the log: $(log_text run.log)"
  log_text run.log | grep -q '^The application failed within' && fail "told a silent user: $(log_text run.log)"
  ;;
no-display)
  pack mglauncher-console.exe app.exe
  env -u DISPLAY -u WAYLAND_DISPLAY timeout 120 wine app.exe -mg:version > out.txt 2> err.raw
  status=$?
  [ $status = 120 ] || fail "exit status $status, not 120; standard error: $(log_text err.raw)"
  # Wine's own complaints come first; the launcher's line is the last.
  grep -a '^The user interface could not be started: CreateWindowEx failed  ==>  ' err.raw > err.txt ||
    fail "standard error: [$(log_text err.raw)]"
  ;;
*) fail "unknown case $case_name" ;;
esac
[ -z "$(ls -A tmp)" ] || fail "left in the temporary folder: $(ls -A tmp)"
[ $failures -eq 0 ] && cd / && rm -rf "$work_unix"
e2e_finish "e2e.tell.$case_name"
