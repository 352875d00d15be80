#!/usr/bin/env bash
# One end-to-end case of the payload cache (CACHE_FOLDER) under Wine:
# launchers packed by mgpack.exe from the real mglauncher.exe, running
# printargs.jar, their application archive, on the java.exe bridge.
# Usage: cache.sh CASE MGLAUNCHER MGPACK RUNNER INSTALLER   (WINEPREFIX set)
#   RUNNER     foundation_runner.exe: answers message boxes, reports the exit code
#   INSTALLER  our small JVM installer; it copies the home MG_INSTALLER_SOURCE
# The jvmhome fixture gives J:\jdk17 (java.exe bridge) and J:\jars\printargs.jar.
set -u
case_name=$1 launcher=$2 mgpack=$3 runner=$4 installer=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
e2e_workdir "mgtest-cache-$case_name"
cp "$launcher" mglauncher.exe
cp "$installer" setup.exe
cp "$(winepath -u 'J:\jars\printargs.jar')" printargs.jar || exit 1
mkdir tmp tmp2
export MG_INSTALLER_SOURCE='J:\jdk17'

# The application's cache folder, as the launcher finds it.
folder="MgTests\\$case_name"
local_win=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
cache=$(winepath -u "$local_win\\$folder" 2>/dev/null)
cache=$(realpath -m "${cache%/}")
unlock() { chattr -i "$cache" 2>/dev/null; chmod -R u+w "$cache" 2>/dev/null; }
trap unlock EXIT
unlock
rm -rf "$cache"

# A 20 MB class-path archive beside the application makes the filling take a
# while, so that launches started together fill at the same time.
head -c $((20 * 1024 * 1024)) /dev/urandom > data.bin
printf 'DESC: JDK 17\nJVM_HOME: J:\\jdk17\nJVM_EXE: bin\\java.exe\n' > app.jvm
printf 'DESC: Cache test\nCOMMAND: """@JVM_HOME@\\@JVM_EXE@"" -classpath ""%%APPLICATION_ARCHIVE%%()"" PrintArgs"\n' > launch.txt
program() {  # CACHE-LINE STATEMENTS...
  local cache_line=$1
  shift
  { [ -n "$cache_line" ] && printf '%s\n' "$cache_line"; printf 'INSTRUCTIONS:\n'; printf '  %s\n' "$@"; printf '/:\n'; } > program.txt
}
# build OUTPUT [--file TYPE PATH...]: the program, launch script and archives
build() {
  local output=$1
  shift
  wine "$mgpack" build --stub mglauncher.exe -o "$output" --file instructions program.txt \
    --file launch-script launch.txt --file application-archive printargs.jar --file classpath-archive data.bin \
    "$@" > pack.out 2>&1 || fail "mgpack $output: $(tr -d '\r' < pack.out)"
}
# run LOG [TEMP] [ARGUMENTS]: app.exe through the runner, silent; report in $out
run() {
  out=$(timeout $((300 * ${MG_TIME_FACTOR:-1})) wine "$runner" "$work_win\\app.exe" raw \
        "-mg:silent -mg:log $work_win\\$1 -mg:tempdir $work_win\\${2:-tmp} ${3:-}" 2>&1 | tr -d '\r')
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "run $1: $out; log: $(log_text "$1")"
}
logged() { log_text "$1" | grep -qxF -- "$2"; }
logged_like() { log_text "$1" | grep -qx -- "$2"; }
# ran LOG: PrintArgs ran, with its archive in the cache's entry of this payload
ran_cached() {
  log_text "$1" | grep -qx "classpath=$cache/app-[0-9a-f]\{16\}/printargs.jar" ||
    fail "$1: the application did not run from the cache: $(log_text "$1" | grep -E '^(classpath|Cache|WARNING|ERROR)')"
}
entries() { (cd "$cache" 2>/dev/null && ls -A); }
entry() { (cd "$cache" && ls -d app-*) 2>/dev/null; }
complete_entry() {  # the one entry holds the record and intact copies
  [ "$(entries)" = "$(entry)" ] && [ -n "$(entry)" ] || { fail "cache items: [$(entries)]"; return; }
  [ -s "$cache/$(entry)/mgcache.txt" ] || fail "no completion record in $(entry)"
  cmp -s data.bin "$cache/$(entry)/data.bin" && cmp -s printargs.jar "$cache/$(entry)/printargs.jar" ||
    fail "the entry's copies differ from the archives"
}
tmp_empty() { [ -z "$(ls -A "$work_unix/${1:-tmp}")" ] || fail "left in ${1:-tmp}: $(cd "$work_unix/${1:-tmp}" && find .)"; }
what='the application archives'

case $case_name in
together)
  # Two launches started at once both run the application; one entry, whole,
  # is what the cache holds afterwards, and nothing half-written is left.
  program "CACHE_FOLDER: $folder" 'LAUNCH "'"$work_win"'\app.jvm" 0'
  build app.exe
  # Started together: each runner's report goes to a file, read once both end.
  for n in first second; do
    t=tmp; [ $n = second ] && t=tmp2
    timeout $((300 * ${MG_TIME_FACTOR:-1})) wine "$runner" "$work_win\\app.exe" raw \
      "-mg:silent -mg:log $work_win\\$n.log -mg:tempdir $work_win\\$t" > $n.out 2>&1 &
  done
  wait
  for n in first second; do
    tr -d '\r' < $n.out | grep -qx 'exit code: 0' || fail "$n: $(cat $n.out)"
  done
  for log in first.log second.log; do
    ran_cached $log
    logged_like $log "Cache \(filled\|used\) for $what: .*" || fail "$log: $(log_text $log | grep Cache)"
  done
  complete_entry
  tmp_empty tmp
  tmp_empty tmp2
  ;;
truncated)
  # A file of the entry cut short is noticed by its size and time, and the
  # entry is extracted again.
  program "CACHE_FOLDER: $folder" 'LAUNCH "'"$work_win"'\app.jvm" 0'
  build app.exe
  run first.log
  ran_cached first.log
  entry=$(entry)
  logged first.log "Cache filled for $what: $local_win\\$folder\\$entry" || fail "first: $(log_text first.log | grep Cache)"
  truncate -s 1000 "$cache/$entry/data.bin"
  run second.log
  ran_cached second.log
  logged second.log "Cache repaired for $what: $local_win\\$folder\\$entry (data.bin has changed)" ||
    fail "second: $(log_text second.log | grep Cache)"
  complete_entry
  run third.log
  logged third.log "Cache used for $what: $local_win\\$folder\\$entry" || fail "third: $(log_text third.log | grep Cache)"
  tmp_empty
  ;;
read-only)
  # A cache folder the launcher cannot write to: the launch extracts to the
  # temporary folder as without the cache, says so, and leaves nothing.
  program "CACHE_FOLDER: $folder" 'LAUNCH "'"$work_win"'\app.jvm" 0'
  build app.exe
  mkdir -p "$cache"
  if [ "$(id -u)" = 0 ]; then chattr +i "$cache" || exit 1; else chmod a-w "$cache"; fi
  run first.log
  log_text first.log |
    grep -q "^WARNING: Cache bypassed for $what: extracting them to a temporary folder, since .*app-[0-9a-f]*\.tmp[0-9]*: CreateDirectory failed  ==>  " ||
    fail "no bypass warning: $(log_text first.log | grep Cache)"
  log_text first.log | grep -qx "classpath=$work_unix/tmp/.*/printargs.jar" || fail "not run from tmp: $(log_text first.log | grep classpath)"
  tmp_empty
  [ -z "$(entries)" ] || fail "written into the read-only cache: $(entries)"
  ;;
repack)
  # A launcher packed again with another payload fills an entry of its own
  # and removes the older one, which no running launcher holds.
  program "CACHE_FOLDER: $folder" 'LAUNCH "'"$work_win"'\app.jvm" 0'
  build app.exe
  run first.log
  old=$(entry)
  head -c 1000 /dev/urandom >> data.bin
  build app.exe
  run second.log
  ran_cached second.log
  new=$(entry)
  [ -n "$new" ] && [ "$new" != "$old" ] || fail "entries: old $old, now [$(entries)]"
  logged second.log "Cache: removed the unused entry $local_win\\$folder\\$old" || fail "$(log_text second.log | grep Cache)"
  logged second.log "Cache filled for $what: $local_win\\$folder\\$new" || fail "$(log_text second.log | grep Cache)"
  complete_entry
  ;;
clearcache)
  # -mg:clearcache removes the application's cache and says so; the
  # instructions do not run.
  program "CACHE_FOLDER: $folder" 'LAUNCH "'"$work_win"'\app.jvm" 0'
  build app.exe
  run first.log
  [ -n "$(entry)" ] || fail "no entry after the first launch"
  out=$(timeout 120 wine "$runner" "$work_win\\app.exe" raw "-mg:log $work_win\\clear.log -mg:clearcache" 2>&1 | tr -d '\r')
  printf '%s\n' "$out" | grep -qxF "message: The application's cache $local_win\\$folder was removed." ||
    fail "clear: $out"
  [ ! -e "$cache" ] || fail "the cache is still there: $(entries)"
  log_text clear.log | grep -q '^args=' && fail "the application ran"
  out=$(timeout 120 wine "$runner" "$work_win\\app.exe" raw "-mg:log $work_win\\again.log -mg:clearcache" 2>&1 | tr -d '\r')
  printf '%s\n' "$out" | grep -qxF "message: The application's cache $local_win\\$folder is already empty." ||
    fail "clear again: $out"
  ;;
no-tag)
  # Without CACHE_FOLDER nothing is written outside the temporary folder, the
  # log has no word of a cache, and -mg:clearcache is the application's.
  program '' 'LAUNCH "'"$work_win"'\app.jvm" 0'
  build app.exe
  touch before
  run first.log tmp -mg:clearcache
  logged first.log 'arg.0=-mg:clearcache' || fail "the argument did not reach the application: $(log_text first.log)"
  log_text first.log | grep -qx "classpath=$work_unix/tmp/.*/printargs.jar" || fail "not run from tmp"
  log_text first.log | grep -q 'Cache' && fail "the log speaks of a cache: $(log_text first.log | grep Cache)"
  written=$(find "$WINEPREFIX/drive_c/users" -newer before 2>/dev/null)
  [ -z "$written" ] || fail "written outside the temporary folder: $written"
  tmp_empty
  ;;
install)
  # INSTALL_JVM installs the bundled JVM into the cache once; later launches
  # run no installer, and a damaged installation is installed again.
  program "CACHE_FOLDER: $folder" 'INSTALL_JVM 0' 'JMP0 @N1@ DONE' 'LAUNCH @S1@ 0' ':DONE'
  build app.exe --file jvm-installer setup.exe
  run first.log
  jvm=$( (cd "$cache" && ls -d jvm-*) 2>/dev/null)
  [ -n "$jvm" ] || fail "no JVM entry: [$(entries)]"
  logged first.log "Cache filled for the bundled JVM: $local_win\\$folder\\$jvm" || fail "$(log_text first.log | grep Cache)"
  stamp=$(stat -c %Y "$cache/$jvm/jvm")
  sleep 1
  run second.log
  logged second.log "Cache used for the bundled JVM: $local_win\\$folder\\$jvm" || fail "$(log_text second.log | grep Cache)"
  [ "$(stat -c %Y "$cache/$jvm/jvm")" = "$stamp" ] || fail "the installation changed: the installer ran again"
  logged second.log "JAVA_HOME=$cache/$jvm" || fail "JAVA_HOME: $(log_text second.log | grep JAVA_HOME)"
  rm -f "$cache/$jvm/bin/javaw.exe"
  run third.log
  logged third.log "Cache repaired for the bundled JVM: $local_win\\$folder\\$jvm (bin\\javaw.exe is missing)" ||
    fail "$(log_text third.log | grep Cache)"
  [ -f "$cache/$jvm/bin/javaw.exe" ] || fail "not installed again"
  tmp_empty
  ;;
*)
  echo "unknown case $case_name"
  exit 2
  ;;
esac
unlock
rm -rf "$cache"
e2e_finish "e2e.cache.$case_name"
