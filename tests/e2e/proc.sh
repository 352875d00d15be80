#!/usr/bin/env bash
# One end-to-end case of child processes and verification under Wine.
# Usage: proc.sh CASE MGLAUNCHER PROC_CHILD   (WINEPREFIX set)
# Every run passes -mg:silent first: a message box would wait for ever.
set -u
case_name=$1 launcher=$2 child=$3
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work_unix=$WINEPREFIX/drive_c/mgtest-proc-$case_name
work_win='C:\mgtest-proc-'$case_name
rm -rf "$work_unix" && mkdir -p "$work_unix" && cd "$work_unix" || exit 1
cp "$launcher" mglauncher.exe
cp "$child" proc_child.exe
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
log_text() { tr -d '\r' < "$1" 2>/dev/null; }

# run INPUT-FILE-TEXT: the launcher's standard output in $out.
run() {
  printf '%s' "$1" > in.tag
  out=$(timeout $((120 * ${MG_TIME_FACTOR:-1})) wine mglauncher.exe -mg:silent -mg:log "$work_win\\run.log" -mg:in "$work_win\\in.tag" \
        2>/dev/null | tr -d '\r')
  rc=$?
  [ $rc = 0 ] || fail "launcher exit code $rc"
}

case $case_name in
install-waits)
  # The installer runs in the destination and is waited for: the JVM file it
  # writes after a while is there when the launcher reads it back.
  mkdir dest
  run "LOGFILE: $work_win\\run.log
ACTION: INSTALL_JVM
INSTALL_JVM_EXE: $work_win\\proc_child.exe installer 700
INSTALL_JVM_DEST: $work_win\\dest
"
  [ "$out" = "$work_win\\dest\\jvm" ] || fail "output: [$out] log: $(log_text run.log)"
  log_text dest/jvm | grep -qx 'JVM_EXE: *bin\\java.exe' || fail "jvm file: $(log_text dest/jvm)"
  log_text dest/jvm | grep -qx "JVM_HOME: *C:.mgtest-proc-install-waits.dest" || fail "no JVM_HOME in: $(log_text dest/jvm)"
  ;;
install-fails)
  # A program that cannot be started is reported with the system's reason.
  mkdir dest
  run "LOGFILE: $work_win\\run.log
ACTION: INSTALL_JVM
INSTALL_JVM_EXE: $work_win\\no-such-installer.exe
INSTALL_JVM_DEST: $work_win\\dest
"
  [ -z "$out" ] || fail "output: [$out]"
  log_text run.log | grep -q '^ERROR: .*CreateProcess failed  ==>  ' || fail "log: $(log_text run.log)"
  ;;
verify-action)
  # VERIFY_JVM against Debian's JVM behind the bridge in J:\jdk17 prints N1.
  verify() {  # JVM_PROPERTIES-VALUE HOME EXPECTED
    printf 'DESC: OpenJDK\nJVM_EXE: bin\\java.exe\nCLASSPATH: "-classpath "\nCLASSPATH_SEPARATOR: ;\nJVM_PROPERTIES: %s\n' \
      "$1" > test.jvm
    rm -f run.log
    run "LOGFILE: $work_win\\run.log
VERIFY_CLASSPATH: \"\"\"J:\\jars\\verify.jar\"\"\"
VERIFY_CLASS_NAME: Verify
ACTION: VERIFY_JVM
VERIFY_JVM_FILE: $work_win\\test.jvm
VERIFY_JVM_HOME: $2
"
    if log_text run.log | grep -q 'VERIFY_JVM action is not available'; then
      echo "the VERIFY_JVM action is not in this build yet"
      exit 77
    fi
    [ "$out" = "$3" ] || fail "$1 at $2: output [$out], log: $(log_text run.log)"
  }
  verify 'java.version=17...' 'J:\jdk17' 1
  log_text run.log | grep -qx 'Found matching JVM at J:\\jdk17' || fail "no match logged: $(log_text run.log)"
  verify 'java.version=1.8...' 'J:\jdk17' 0
  verify 'java.vendor=debian' 'J:\jdk17' 0
  verify 'java.version=17...' 'J:\nojava' 0
  log_text run.log | grep -qx 'J:\\nojava\\bin\\java.exe does not exist' || fail "no missing exe: $(log_text run.log)"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac

[ $failures -eq 0 ] && echo "e2e.proc.$case_name passed"
exit $((failures > 0))
