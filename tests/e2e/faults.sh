#!/usr/bin/env bash
# One end-to-end case of a fault around the launcher, under Wine: the launcher
# must report it, end with exit code 0, remove its temporary items and delete
# nothing it did not create (sentinel files stand next to what it creates).
# Usage: faults.sh CASE MGLAUNCHER MGPACK FAULT_JAVA BINDIR   (WINEPREFIX set)
#   jvm        a java.exe that answers the verify run with garbage, nothing,
#              megabytes, half an answer before crashing, or that deletes the
#              folder of the launcher's log between two records
#   app        the application ends at once or crashes
#   full-disk  the temporary root on a 1 MB drive, a 2 MB installer to extract;
#              also that drive mounted in a folder, so the disk fills mid-copy
#   read-only  the temporary root on a read-only drive
# The drive cases mount a tmpfs (root only); elsewhere they are skipped (77).
set -u
case_name=$1 launcher=$2 mgpack=$3 fault_java=$4 bindir=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
e2e_workdir "mgtest-faults-$case_name"
cp "$launcher" mglauncher.exe

# launch ARGS...: runs $exe; its standard output in $out; exit code 0 required.
exe=mglauncher.exe
launch() {
  rm -f out.raw
  timeout $((300 * ${MG_TIME_FACTOR:-1})) wine "$exe" -mg:silent "$@" > out.raw 2>/dev/null
  local rc=$?
  [ $rc = 0 ] || fail "launcher exit code $rc"
  out=$(tr -d '\r' < out.raw)
}

# packed PROGRAM INSTALLER-BYTES: sample.exe with that program and a JVM installer.
packed() {
  printf '%s' "$1" > instructions.txt
  head -c "$2" /dev/urandom > installer.exe
  wine "$mgpack" build --no-check --stub mglauncher.exe -o sample.exe --file instructions instructions.txt \
    --file jvm-installer installer.exe > pack.out 2>&1 || fail "mgpack: $(log_text pack.out)"
  exe=sample.exe
}

# drive LETTER OPTIONS: a 1 MB tmpfs mapped to LETTER:, holding a sentinel.
drive() {
  mnt=$bindir/faults-$case_name
  mkdir -p "$mnt"
  mount -t tmpfs -o size=1m mg-faults "$mnt" 2>/dev/null || {
    echo "SKIP: mounting a tmpfs is not permitted here (needs root)"
    cd / && rm -rf "$work_unix"
    exit 77
  }
  trap 'rm -f "$WINEPREFIX/dosdevices/$letter:"; umount "$mnt" 2>/dev/null' EXIT
  letter=$1
  echo keep > "$mnt/sentinel.txt"
  [ -n "$2" ] && mount -o "remount,$2" "$mnt"
  ln -sfn "$mnt" "$WINEPREFIX/dosdevices/$letter:"
}

case $case_name in
jvm)
  mkdir -p jdk/bin tmp logs
  cp "$fault_java" jdk/bin/java.exe
  echo keep > jdk/sentinel.txt
  echo keep > tmp/sentinel.txt
  printf 'DESC: Test JVM\nJVM_EXE: bin\\java.exe\nCLASSPATH: "-classpath "\nCLASSPATH_SEPARATOR: ;\nJVM_PROPERTIES: java.version=17...\n' > test.jvm
  # The input file names the log again: without LOGFILE it would end the log.
  printf 'LOGFILE: %s\\logs\\run.log\nVERIFY_CLASSPATH: """%s\\verify.jar"""\nVERIFY_CLASS_NAME: Verify\nJVM: %s\\test.jvm\nACTION: SEARCH\n' \
    "$work_win" "$work_win" "$work_win" > in.tag
  # mode, first line of the SEARCH output, a line the log must hold ("-": none,
  # the log is gone).
  while read -r mode found pattern; do
    mkdir -p logs
    rm -f logs/run.log
    MG_FAULT_JAVA=$mode MG_FAULT_LOG_DIR="$work_win\\logs" launch -mg:tempdir "$work_win\\tmp" \
      -mg:log "$work_win\\logs\\run.log" -mg:javahome "$work_win\\jdk" -mg:in "$work_win\\in.tag"
    [ "$(printf '%s\n' "$out" | head -1)" = "$found" ] || fail "$mode: output [$(printf '%s' "$out" | head -c 300)]"
    if [ "$pattern" = - ]; then
      [ ! -e logs ] || fail "$mode: the log folder came back: $(ls -A logs)"
    else
      log_text logs/run.log | grep -aEq "$pattern" || fail "$mode: no log line matching $pattern: $(log_text logs/run.log | head -c 2000)"
    fi
    # A found JVM's file is written for the caller (output line 3); the rest
    # of the temporary root must be as it was.
    copy=$(printf '%s\n' "$out" | sed -n 3p)
    [ -n "$copy" ] && rm -f "$(winepath -u "$copy" 2>/dev/null)"
    [ "$(ls -A tmp)" = sentinel.txt ] || fail "$mode: temporary items left: $(ls -A tmp)"
    [ -f jdk/sentinel.txt ] && [ -f jdk/bin/java.exe ] || fail "$mode: files of the JVM home deleted"
  done <<'EOF'
ok        1  ^Found matching JVM at
garbage   0  ^ERROR: Invalid magic value: .*not java
empty     0  ^Verifying JVM at
megabytes 1  ^Found matching JVM at
crash     0  ^ERROR: Invalid magic value: 17390$
droplog   1  -
EOF
  ;;
app)
  # The application ends at once, or as if by an access violation, right after
  # its start; the application archive extracted for it goes when it has ended.
  mkdir -p jdk/bin tmp
  cp "$fault_java" jdk/bin/java.exe
  echo keep > jdk/sentinel.txt
  echo keep > tmp/sentinel.txt
  printf 'DESC: Test JVM\nJVM_HOME: %s\\jdk\nJVM_EXE: bin\\java.exe\nCLASSPATH: "-classpath "\nCLASSPATH_SEPARATOR: ;\n' \
    "$work_win" > direct.jvm
  printf 'DESC: Fault test\nCOMMAND: """@JVM_HOME@\\@JVM_EXE@"" %%CP%%() App"\nARCHIVE: """%%APPLICATION_ARCHIVE%%()"""\n' \
    > launch.txt
  printf 'INSTRUCTIONS:\n  LAUNCH %s\\direct.jvm 0\n/:\n' "$work_win" > instructions.txt
  head -c 300000 /dev/urandom > app.jar
  wine "$mgpack" build --no-check --stub mglauncher.exe -o sample.exe --file instructions instructions.txt \
    --file launch-script launch.txt --file application-archive app.jar > pack.out 2>&1 || fail "mgpack: $(log_text pack.out)"
  exe=sample.exe
  for mode in empty crash; do
    MG_FAULT_JAVA=$mode launch -mg:tempdir "$work_win\\tmp" -mg:log "$work_win\\run.log"
    log_text run.log | grep -q '^Executing launch script command: .*java\.exe.*LRE.*app\.jar' ||
      fail "$mode: application not started with the archive: $(log_text run.log)"
    log_text run.log | grep -q '^ERROR: ' && fail "$mode: errors: $(log_text run.log | grep '^ERROR: ')"
    [ "$(ls -A tmp)" = sentinel.txt ] || fail "$mode: temporary items left: $(ls -A tmp)"
    [ -f jdk/sentinel.txt ] && [ -f jdk/bin/java.exe ] && [ -f direct.jvm ] || fail "$mode: files deleted"
    rm -f run.log
  done
  ;;
full-disk)
  # The space test refuses the copy before a byte is written; the temporary
  # directory made for it goes again.
  packed $'INSTRUCTIONS:\n  INSTALL_JVM 1\n/:\n' 2000000
  drive s ''
  launch -mg:tempdir 'S:\' -mg:log "$work_win\\run.log"
  log_text run.log | grep -Eq '^ERROR: Error writing file = +There may not be enough temporary disk space' ||
    fail "no disk-space error: $(log_text run.log)"
  [ "$(ls -A "$mnt")" = sentinel.txt ] || fail "items left on the full drive: $(ls -A "$mnt")"
  # The same small drive mounted in a folder of C: (as a volume mount point
  # would be): the space test sees C:, so the copy starts and the disk fills
  # under it. The partial copy and its directory go with the clean-up.
  ln -sfn "$mnt" small
  launch -mg:tempdir "$work_win\\small" -mg:log "$work_win\\run2.log"
  log_text run2.log | grep -Eq '^ERROR: Error writing file = [1-9][0-9]* There may not be enough temporary disk space' ||
    fail "no write error: $(log_text run2.log)"
  [ "$(ls -A "$mnt")" = sentinel.txt ] || fail "items left in the mounted folder: $(ls -A "$mnt")"
  rm -f small
  ;;
read-only)
  packed $'INSTRUCTIONS:\n  INSTALL_JVM 1\n/:\n' 1000
  drive r ro
  launch -mg:tempdir 'R:\' -mg:log "$work_win\\run.log"
  # Wine makes the name and fails on the directory; Windows fails on the name.
  log_text run.log | grep -Eq '^ERROR: (GetTempFileName|CreateDirectory) failed  ==>  ' ||
    fail "no error about the temporary root: $(log_text run.log)"
  [ "$(ls -A "$mnt")" = sentinel.txt ] || fail "the read-only drive changed: $(ls -A "$mnt")"
  ;;
*)
  echo "unknown case $case_name"
  exit 2
  ;;
esac

[ $failures -eq 0 ] && cd / && rm -rf "$work_unix"
e2e_finish "faults.$case_name"
