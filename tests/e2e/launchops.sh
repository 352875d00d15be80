#!/usr/bin/env bash
# One end-to-end case of the install and launch operations under Wine:
# launchers packed by mgpack.exe from the real mglauncher.exe.
# Usage: launchops.sh CASE MGLAUNCHER MGPACK RUNNER INSTALLER   (WINEPREFIX set)
#   RUNNER     foundation_runner.exe: answers message boxes, reports the exit code
#   INSTALLER  our small JVM installer; it copies the home MG_INSTALLER_SOURCE
# The jvmhome fixture gives J:\jdk17 (java.exe bridge) and J:\jars\printargs.jar.
# Every run passes -mg:silent first: a message box would wait for ever.
set -u
case_name=$1 launcher=$2 mgpack=$3 runner=$4 installer=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
e2e_workdir "mgtest-launchops-$case_name"
cp "$launcher" mglauncher.exe
cp "$installer" setup.exe
mkdir tmp
export MG_INSTALLER_SOURCE='J:\jdk17'

pack() { wine "$mgpack" "$@" 2>&1 | tr -d '\r'; }
# build OUTPUT INSTRUCTIONS-TEXT [--file TYPE PATH...]
build() {
  local output=$1
  printf 'INSTRUCTIONS:\n%s\n/:\n' "$2" > "$output.txt"
  shift 2
  pack build --no-check --stub mglauncher.exe -o "$output" --file instructions "$output.txt" "$@" > pack.out ||
    fail "mgpack $output: $(cat pack.out)"
}
logged() { log_text run.log | grep -qxF -- "$1"; }
tmp_empty() { [ -z "$(ls -A "$work_unix/tmp")" ]; }
# Statements that show in the log which way a JMP0 on N1 went.
N1_MARKERS='  JMP0 @N1@ ZERO
  E2E_N1_NOT_ZERO
  :ZERO
  E2E_N1_ZERO'
marker() {  # NAME LINE: the interpreter's report of the unknown command NAME
  printf 'ERROR: Error in instructions. Invalid command (%s).  Line number (%s)' "$1" "$2"
}
# The application: PrintArgs reports the JVM file's JVM_TEMP and JVM_FILE,
# its arguments and JAVA_HOME; the launch script's output goes to the log.
cat > launch.txt <<'EOF'
DESC: Launch operations test
COMMAND: """@JVM_HOME@\@JVM_EXE@"" ""-Dapp.temp=@JVM_TEMP@"" ""-Dapp.file=@JVM_FILE@"" %CP%() PrintArgs"
ARCHIVE: """J:\jars\printargs.jar"""
EOF

case $case_name in
install-launch)
  # INSTALL_JVM 1 installs into a new temporary directory; S1 names the "jvm"
  # file written back with JVM_TEMP 1, and LAUNCH @S1@ runs the application
  # with it. The directory is gone when the launcher has ended.
  build install.exe "  INITIALIZE_UI
  INSTALL_JVM 1
  JMP0 @N1@ DONE
  LAUNCH @S1@ 0
  :DONE" --file launch-script launch.txt --file jvm-installer setup.exe
  e2e_run install.exe 'hello "two words"'
  command=$(log_text run.log | sed -n 's/^Executing launch script command: //p')
  home=$(printf '%s' "$command" | sed -n 's/^"\([^"]*\)\\bin\\java\.exe" .*/\1/p')
  case $home in
    "$work_win\\tmp\\"?*) ;;
    *) fail "not run with a home in a temporary directory: [$command]" ;;
  esac
  case $command in
    "\"$home\\bin\\java.exe\" \"-Dapp.temp=1\" \"-Dapp.file=$home\\jvm\" "*" PrintArgs \"hello\" \"two words\" in working directory $work_win") ;;
    *) fail "launch command: [$command]" ;;
  esac
  # The application sees the paths as the java.exe bridge hands them on.
  home_unix=$(realpath -m "$(winepath -u "$home" 2>/dev/null)")
  logged 'prop.app.temp=1' || fail "JVM_TEMP is not 1: $(log_text run.log)"
  logged "prop.app.file=$home_unix/jvm" || fail "JVM_FILE is not $home_unix/jvm"
  logged "JAVA_HOME=$home_unix" || fail "JAVA_HOME is not $home_unix"
  logged 'args=2' && logged 'arg.0=hello' && logged 'arg.1=two words' || fail "arguments: $(log_text run.log)"
  log_text run.log | grep -q '^ERROR: ' && fail "errors logged: $(log_text run.log | grep '^ERROR: ')"
  tmp_empty || fail "temporary items left: $(cd tmp && find .)"
  ;;
install-action)
  # The INSTALL_JVM action runs the installer in the given destination and
  # prints the JVM file it completed, with JVM_TEMP 0: the JVM stays.
  mkdir 'dest dir'
  printf 'LOGFILE: %s\nACTION: INSTALL_JVM\nINSTALL_JVM_EXE: %s\nINSTALL_JVM_DEST: %s\n' \
    "$work_win\\run.log" "$work_win\\setup.exe" "$work_win\\dest dir" > in.tag
  out=$(timeout $((300 * ${MG_TIME_FACTOR:-1})) wine mglauncher.exe -mg:silent -mg:in "$work_win\\in.tag" 2>/dev/null | tr -d '\r')
  [ "$out" = "$work_win\\dest dir\\jvm" ] || fail "output [$out]; log: $(log_text run.log)"
  jvm=$(log_text 'dest dir/jvm')
  printf '%s\n' "$jvm" | grep -qx 'JVM_TEMP: *0' || fail "JVM_TEMP not 0: $jvm"
  printf '%s\n' "$jvm" | grep -qx "JVM_HOME: *C:.mgtest-launchops-install-action.dest dir" || fail "JVM_HOME: $jvm"
  printf '%s\n' "$jvm" | grep -qx "JVM_FILE: *C:.mgtest-launchops-install-action.dest dir.jvm" || fail "JVM_FILE: $jvm"
  [ -f 'dest dir/bin/java.exe' ] || fail "nothing installed: $(find 'dest dir')"
  ;;
install-silent-choose)
  # Mode 2 asks for the destination; a silent launcher asks nothing, runs no
  # installer and ends with N1 = 0.
  build choose.exe "  INSTALL_JVM 2
$N1_MARKERS" --file launch-script launch.txt --file jvm-installer setup.exe
  e2e_run choose.exe
  logged "$(marker E2E_N1_ZERO 5)" || fail "N1 is not 0: $(log_text run.log)"
  log_text run.log | grep -q 'Executing\|Invalid bundled JVM' && fail "something ran: $(log_text run.log)"
  tmp_empty || fail "temporary items made: $(cd tmp && find .)"
  [ -z "$(find . -name 'setup.exe' -newer choose.exe)" ] || fail "installer extracted: $(find . -name setup.exe)"
  ;;
no-installer)
  # A launcher that carries no installer stops the program with message 9.
  build bare.exe "  INSTALL_JVM 1
$N1_MARKERS" --file launch-script launch.txt
  e2e_run bare.exe
  logged 'ERROR: No JVM installer was included in the launcher.' ||
    fail "no message 9: $(log_text run.log)"
  log_text run.log | grep -q 'E2E_N1' && fail "the program went on: $(log_text run.log)"
  tmp_empty || fail "temporary items left: $(cd tmp && find .)"
  ;;
embedded-launcher)
  # EXECUTE_LAUNCHER starts the second launcher from a temporary directory
  # with -mg:orig, this launcher's path and all its arguments; that launcher
  # runs the application and then removes itself and the directory.
  printf 'DESC: Test JVM\nJVM_HOME: J:\\jdk17\nJVM_EXE: bin\\java.exe\nCLASSPATH: "-classpath "\nCLASSPATH_SEPARATOR: ;\n' \
    > direct.jvm
  build inner.exe "  LAUNCH $work_win\\direct.jvm 0" --file launch-script launch.txt
  build outer.exe '  EXECUTE_LAUNCHER 1' --file embedded-launcher inner.exe --name second.exe
  e2e_run outer.exe 'one "two words"'
  wait_for 120 logged 'arg.1=two words' || fail "the second launcher did not run the application: $(log_text run.log)"
  logged 'args=2' && logged 'arg.0=one' || fail "arguments: $(log_text run.log)"
  log_text run.log | grep -q '^ERROR: ' && fail "errors logged: $(log_text run.log | grep '^ERROR: ')"
  # Its working directory was its own temporary directory (as the bridge
  # hands it on, a Unix path).
  case $(log_text run.log | sed -n 's/^cwd=//p') in
    "$(realpath "$work_unix/tmp")/"?*) ;;
    *) fail "second launcher not run from the temporary root: $(log_text run.log | grep '^cwd=')" ;;
  esac
  wait_for 120 tmp_empty || fail "second launcher or its directory left: $(cd tmp && find .)"
  [ -f outer.exe ] || fail "the original launcher was removed"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac

e2e_finish "e2e.launchops.$case_name"
