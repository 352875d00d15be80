#!/usr/bin/env bash
# One end-to-end case of the launch under Wine against an application at the
# edges (tests/helpers/Robust.java through the java.exe bridge).
# Usage: robust.sh CASE MGLAUNCHER MGPACK RUNNER HOSTBUILD   (WINEPREFIX set)
#   links      the application links its extracted folder to a folder outside
#              and to itself: the clean-up removes the links, not the targets
#   outlive    the launcher is killed while the application writes: it ends
#   flood      the application floods standard output (MG_FLOOD_MB, default
#              64 MB): the launcher's memory stays bounded, the log holds it all
#   argfile    400 long class path entries: through an argument file for a
#              Java 9+ home, a clear refusal for an older one
#   envcp      the same class path in an environment variable: refused
#   folders    launchers in "100% Java", "a@b" and "#1 x #2" find, verify and
#              launch with their paths intact
#   wrongmain  a wrong main class: the user sees the exit code and the JVM's
#              error; the log has the exit code
#   classpath-blank  an application in two embedded class-path archives runs
#              from a temporary folder whose name holds a blank (the archives
#              quoted on the command line) and from one without (unquoted, as
#              ever)
set -u
case_name=$1 launcher=$2 mgpack=$3 runner=$4 host=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
e2e_workdir "mgtest-robust-$case_name"
cp "$launcher" mglauncher.exe
mkdir tmp
mkdir classes && javac -d classes "$here/../helpers/Robust.java" && jar cf robust.jar -C classes . ||
  { fail "cannot build robust.jar"; e2e_finish "e2e.robust.$case_name"; }

# build OUTPUT INSTRUCTIONS-TEXT LAUNCH-SCRIPT-TEXT [--file TYPE PATH...]
build() {
  local output=$1
  printf 'INSTRUCTIONS:\n%s\n/:\n' "$2" > "$output.txt"
  printf '%s\n' "$3" > "$output.launch"
  shift 3
  wine "$mgpack" build --no-check --stub mglauncher.exe -o "$output" --file instructions "$output.txt" \
    --file launch-script "$output.launch" "$@" > pack.out 2>&1 || fail "mgpack $output: $(log_text pack.out)"
}
logged() { log_text run.log | grep -qxF -- "$1"; }
tmp_empty() { [ -z "$(ls -A "$work_unix/tmp")" ]; }
unix_of() { realpath -m "$(winepath -u "$1" 2>/dev/null)"; }
direct_jvm() {  # FILE HOME [EXTRA-LINES]
  printf 'DESC: Test JVM\nJVM_HOME: %s\nJVM_EXE: bin\\java.exe\nCLASSPATH: "-classpath "\nCLASSPATH_SEPARATOR: ;\n%s' \
    "$2" "${3:-}" > "$1"
}
direct_jvm direct.jvm 'J:\jdk17'
java_cmd='"""@JVM_HOME@\@JVM_EXE@"" '
# Runs EXE in the background as a user would start it; its Linux process is
# $pid. peak_kb is the highest resident size seen while it ran.
run_watched() {
  rm -f run.log
  wine "$1" -mg:silent -mg:log "$work_win\\run.log" -mg:tempdir "$work_win\\tmp" &
  pid=$!
  peak_kb=0
  while kill -0 $pid 2>/dev/null; do
    kb=$(sed -n 's/^VmHWM:[^0-9]*\([0-9]*\).*/\1/p' /proc/$pid/status 2>/dev/null)
    [ -n "$kb" ] && [ "$kb" -gt "$peak_kb" ] && peak_kb=$kb
    sleep 0.1
  done
  wait $pid
}
# 400 class path entries of 120 characters: 48 KB, beyond any command line.
long_classpath() {
  for i in $(seq 1000 1399); do
    printf '%s\\libraries\\a-long-folder-name-for-the-entries-of-this-test\\library-number-%s-of-the-test.jar\n' "$work_win" "$i"
  done > "$1"
}

case $case_name in
links)
  mkdir outside && echo keep > outside/keep.txt
  build links.exe "  LAUNCH $work_win\\direct.jvm 0" "COMMAND: ${java_cmd}%CP%() Robust link \"\"%APPLICATION_ARCHIVE%()\"\" \"\"$work_win\\outside\"\"\"
ARCHIVE: \"\"\"%APPLICATION_ARCHIVE%()\"\"\"" --file application-archive robust.jar
  e2e_run links.exe
  logged 'The application ended with exit code 0.' || fail "the application failed: $(log_text run.log)"
  [ "$(cat outside/keep.txt 2>/dev/null)" = keep ] || fail "the folder the link pointed to lost its file: $(ls -la outside)"
  # Windows removes a directory link with RemoveDirectory. Wine 8 refuses
  # that (and every other call) for a link whose target holds files, so
  # there the links stay, reported, with the folders that hold them; the
  # archive and everything else is gone, and the cycle did not hold the walk.
  left=$(cd tmp && find . -mindepth 1 -printf '%y %P\n' | sed 's/^\([a-z]\) LRE[0-9a-fA-F]*\.tmp/\1 LRE/' | sort | tr '\n' ' ')
  case $left in
    '') ;;
    'd LRE d LRE/sub l LRE/outside l LRE/sub/up ')
      log_text run.log | grep -q '^WARNING: Could not delete .*\\outside :' &&
        log_text run.log | grep -q '^WARNING: Could not delete .*\\sub\\up :' || fail "links left without a word"
      ;;
    *) fail "temporary items left: $left" ;;
  esac
  ;;
outlive)
  build outlive.exe "  LAUNCH $work_win\\direct.jvm 0" \
    "COMMAND: ${java_cmd}-cp \"\"$work_win\\robust.jar\"\" Robust outlive \"\"$work_win\\marker\"\" 16\""
  wine outlive.exe -mg:silent -mg:log "$work_win\\run.log" -mg:tempdir "$work_win\\tmp" &
  pid=$!
  wait_for 120 test -f marker.started || fail "the application did not start: $(log_text run.log)"
  kill -9 $pid
  wait $pid 2>/dev/null
  touch marker.go
  # 16 MB is far more than the pipes hold: with nobody reading, only a
  # broken pipe lets the application go on.
  wait_for 120 test -f marker.done || fail "the application hung once the launcher was gone"
  ;;
flood)
  mb=${MG_FLOOD_MB:-64}
  for size in 1 "$mb"; do
    build "flood$size.exe" "  LAUNCH $work_win\\direct.jvm 0" \
      "COMMAND: ${java_cmd}-cp \"\"$work_win\\robust.jar\"\" Robust flood $size\""
    start=$SECONDS
    run_watched "flood$size.exe"
    echo "flood $size MB: launcher peak resident size ${peak_kb} kB, $((SECONDS - start)) s"
    eval "peak_$size=$peak_kb"
    logged 'The application ended with exit code 0.' || fail "$size MB: the application failed"
    lines=$(tr -d '\r' < run.log | grep -c '^x\{63\}$')
    [ "$lines" = $((size * 16384)) ] || fail "$size MB: the log holds $lines of $((size * 16384)) lines"
    logged 'flood done' || fail "$size MB: the end of the output is missing from the log"
  done
  growth=$(( $(eval echo "\$peak_$mb") - peak_1 ))
  echo "growth with $mb MB of output: $growth kB"
  [ $growth -lt 32768 ] || fail "the launcher grew by $growth kB with $mb MB of output"
  tmp_empty || fail "temporary items left: $(ls -A tmp)"
  ;;
argfile)
  long_classpath long.cp
  launch="COMMAND: ${java_cmd}%CP%() Robust props java.version\"
ARCHIVE: \"\"\"$work_win\\robust.jar\"\"\""
  build long.exe "  LAUNCH $work_win\\direct.jvm 0" "$launch"
  e2e_run long.exe
  logged 'cp.count=401' || fail "the class path did not arrive whole: $(log_text run.log | grep -v '^Executing' | head -c 3000)"
  log_text run.log | grep -Eq '^The command line is [0-9]{5} characters long, more than Windows starts \(32767\); its first 2 arguments go through the argument file ' ||
    fail "no argument file logged: $(log_text run.log | grep -v '^Executing' | head -c 2000)"
  logged 'The application ended with exit code 0.' || fail "no exit code 0 logged"
  tmp_empty || fail "temporary items left: $(ls -A tmp)"
  # A home without a "release" file of Java 9 or later: refused, and said why.
  mkdir -p old/bin && cp "$host/bridge/java.exe.so" old/bin/java.exe
  printf 'JAVA_VERSION="1.8.0_392"\n' > old/release
  direct_jvm old.jvm "$work_win\\old"
  cp long.cp old8.cp
  build old8.exe "  LAUNCH $work_win\\old.jvm 0" "$launch"
  e2e_run old8.exe
  log_text run.log | grep -Eq '^ERROR: The command line is [0-9]{5} characters long; Windows starts none longer than 32767, and this JVM \(before Java 9\) cannot read its arguments from a file\.$' ||
    fail "no clear refusal: $(log_text run.log | grep -v '^Executing' | head -c 2000)"
  tmp_empty || fail "temporary items left after the refusal: $(ls -A tmp)"
  ;;
envcp)
  long_classpath env.cp
  direct_jvm env.jvm 'J:\jdk17' $'USE_CP_ENV_VAR: 1\nCP_ENV_VAR: CLASSPATH\n'
  build env.exe "  LAUNCH $work_win\\env.jvm 0" "COMMAND: ${java_cmd}%CP%() Robust props\"
ARCHIVE: \"\"\"$work_win\\robust.jar\"\"\""
  e2e_run env.exe
  log_text run.log | grep -Eq '^ERROR: The class path is [0-9]{5} characters long; the environment variable CLASSPATH holds at most 32766\.$' ||
    fail "the oversized value was not reported: $(log_text run.log | head -c 2000)"
  log_text run.log | grep -q '^Executing' && fail "the application was started with a cut class path"
  tmp_empty || fail "temporary items left: $(ls -A tmp)"
  ;;
folders)
  printf 'DESC: Test JVM\nJVM_EXE: bin\\java.exe\nCLASSPATH: "-classpath "\nCLASSPATH_SEPARATOR: ;\nJVM_PROPERTIES: java.version=17...\n' > find.jvm
  for name in '100% Java' 'a@b' '#1 x #2'; do
    mkdir -p "$name/tmp"
    build "$name/app.exe" "  INITIALIZE_UI
  FIND_JVM 1 1
  JMP0 @N1@ DONE
  LAUNCH @S2@ 0
  :DONE" "COMMAND: ${java_cmd}\"\"-Dapp.dir=%LAUNCHER_DIR%()\"\" \"\"-Dapp.tmp=%TEMP_DIR%()\"\" %CP%() Robust props app.dir app.tmp\"
ARCHIVE: \"\"\"%APPLICATION_ARCHIVE%()\"\"\"" --file jvm-file find.jvm --file verify-archive "$host/java/verify.jar" \
      --file application-archive robust.jar
    e2e_run "$name\\app.exe" "-mg:javahome J:\\jdk17 -mg:tempdir \"$work_win\\$name\\tmp\""
    logged "app.dir=$(unix_of "$work_win\\$name")" && logged "app.tmp=$(unix_of "$work_win\\$name\\tmp")" ||
      fail "$name: paths not intact: $(log_text run.log | grep -v '^x' | head -c 3000)"
    logged 'The application ended with exit code 0.' || fail "$name: the application did not run"
    [ -z "$(ls -A "$name/tmp")" ] || fail "$name: temporary items left: $(ls -A "$name/tmp")"
  done
  ;;
wrongmain)
  build wrong.exe "  INITIALIZE_UI
  LAUNCH $work_win\\direct.jvm 30" "COMMAND: ${java_cmd}-cp \"\"$work_win\\robust.jar\"\" NoSuchMain\""
  rm -f run.log
  # Not silent: the runner answers the message box and reports its text.
  out=$(timeout $((300 * ${MG_TIME_FACTOR:-1})) wine "$runner" "$work_win\\wrong.exe" raw \
        "-mg:log $work_win\\run.log -mg:tempdir $work_win\\tmp" 2>&1 | tr -d '\r')
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "launcher: $out"
  printf '%s\n' "$out" | grep -q '^message: The application ended with exit code 1\.||.*NoSuchMain' ||
    fail "no message with the exit code and the JVM's error: $out"
  logged 'The application ended with exit code 1.' || fail "no exit code in the log: $(log_text run.log)"
  ;;
classpath-blank)
  mkdir "temp dir"
  cp "$host/java/classpath-app.jar" "$host/java/classpath-lib.jar" . || fail "the two-archive application is not built"
  build twojars.exe "  LAUNCH $work_win\\direct.jvm 0" "COMMAND: ${java_cmd}%CP%() ClasspathApp\"" \
    --file classpath-archive classpath-app.jar --file classpath-archive classpath-lib.jar
  # The extracted archives' folder has a name of the system's making; the
  # rest of the command is fixed.
  for dir in 'temp dir' tmp; do
    case $dir in
      *' '*) classpath="\"$work_win\\$dir\\LRE\\classpath-app.jar\";\"$work_win\\$dir\\LRE\\classpath-lib.jar\"" ;;
      *) classpath="$work_win\\$dir\\LRE\\classpath-app.jar;$work_win\\$dir\\LRE\\classpath-lib.jar" ;;
    esac
    e2e_run twojars.exe "-mg:tempdir \"$work_win\\$dir\""
    command=$(log_text run.log | grep '^Executing launch script command: ' | sed 's/\\LRE[0-9A-Fa-f]*\.tmp\\/\\LRE\\/g')
    [ "$command" = "Executing launch script command: \"J:\\jdk17\\bin\\java.exe\" -classpath $classpath ClasspathApp in working directory $work_win" ] ||
      fail "$dir: not the command expected: $command"
    logged 'ClasspathApp from classpath-app.jar called ClasspathLib from classpath-lib.jar' ||
      fail "$dir: the application did not run from both archives: $(log_text run.log | head -c 3000)"
    logged 'The application ended with exit code 0.' || fail "$dir: no exit code 0 logged"
    [ -z "$(ls -A "$dir")" ] || fail "$dir: temporary items left: $(ls -A "$dir")"
  done
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac

[ $failures -eq 0 ] && cd / && rm -rf "$work_unix"
e2e_finish "e2e.robust.$case_name"
