#!/usr/bin/env bash
# Benchmark (not a test): the payload cache (CACHE_FOLDER). Launches of the
# shipped launcher that run PrintArgs on the java.exe bridge, the median of
# RUNS wall times each, measured side by side in one run by temp_run:
#   - a 60 MB application archive, cache filled: against the same launcher
#     with a one-byte archive, cache filled too (the goal: at most 1.05);
#   - the first launch, which fills the cache: against today's launch, the
#     same payload without CACHE_FOLDER, extracted to the temporary folder
#     on every launch (the goal: at most 1.1);
#   - the bundled JVM installed in the cache (INSTALL_JVM 0, the installer
#     not run again): against a launch that finds an installed JVM
#     (-mg:javahome, one verify run; and with VERIFY_CACHE: 1, none) (the
#     goal: at most 1.1).
#
# Usage: xvfb-run -a bench/cache.sh [BUILD_DIR] [RUNS]   (default build, 5)
#   BUILD_DIR  the native build (bridge/java.exe.so, java/printargs.jar,
#              tools/mgpack) whose windows/ sub-build holds temp_run.exe and
#              launchops_installer.exe, and whose windows-<arch>/ sub-build
#              the shipped mglauncher.exe
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
runs=${2:-5}
win=$build/windows
launcher=$build/windows-$("$here/../scripts/windows-arch.sh")/launcher/mglauncher.exe
runner=$win/tests/temp_run.exe installer=$win/examples/launchops_installer.exe
mgpack=$build/tools/mgpack bridge=$build/bridge/java.exe.so app=$build/java/printargs.jar
for f in "$launcher" "$runner" "$installer" "$mgpack" "$bridge" "$app"; do
  [ -f "$f" ] || { echo "missing $f: build everything first (cmake --build build)" >&2; exit 1; }
done
export WINEPREFIX=${WINEPREFIX:-$win/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || "$here/../tests/make-wineprefix.sh" "$WINEPREFIX"

work=$WINEPREFIX/drive_c/mgbench-cache
w='C:\mgbench-cache'
local_win=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
cache=$(realpath -m "$(winepath -u "$local_win\\MgBench" 2>/dev/null)")
rm -rf "$work" "$cache" && mkdir -p "$work/tmp"
trap 'rm -rf "$work" "$cache"' EXIT
"$here/../tests/jvmhome/make-jvmhome.sh" "$work/jdk" "$bridge" >/dev/null
cp "$app" "$work/printargs.jar"
cp "$installer" "$work/setup.exe"
export MG_INSTALLER_SOURCE="$w\\jdk"
# A valid 60 MB archive (one stored entry of random bytes) and a one-byte one;
# PrintArgs comes from printargs.jar beside them on the class path.
python3 - "$work/big.jar" <<'PY'
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_STORED) as z:
    z.writestr('data.bin', os.urandom(60 * 1024 * 1024))
PY
head -c 1 /dev/urandom > "$work/tiny.jar"
printf '%s\n' 'JVM_HOME: C:\mgbench-cache\jdk' 'JVM_EXE: bin\java.exe' > "$work/app.jvm"
printf '%s\n' 'COMMAND: """@JVM_HOME@\@JVM_EXE@"" -classpath ""%APPLICATION_ARCHIVE%();C:\mgbench-cache\printargs.jar"" PrintArgs one"' \
  > "$work/launch.txt"
program() {  # NAME CACHE-FOLDER STATEMENTS...
  local name=$1 folder=$2
  shift 2
  { [ -n "$folder" ] && echo "CACHE_FOLDER: $folder"; echo 'INSTRUCTIONS:'; printf '  %s\n' "$@"; echo '/:'; } > "$work/$name.txt"
}
pack() {  # NAME ARCHIVE [--file TYPE PATH...]
  local name=$1 archive=$2
  shift 2
  "$mgpack" build --stub "$launcher" -o "$work/$name.exe" --file instructions "$work/$name.txt" \
    --file launch-script "$work/launch.txt" --file application-archive "$work/$archive" "$@" >/dev/null
}
launch='LAUNCH "C:\mgbench-cache\app.jvm" 0'
program big 'MgBench\Big' "$launch" && pack big big.jar
program tiny 'MgBench\Tiny' "$launch" && pack tiny tiny.jar
program today '' "$launch" && pack today big.jar
program install 'MgBench\Jvm' 'INSTALL_JVM 0' 'JMP0 @N1@ DONE' 'LAUNCH @S1@ 0' ':DONE'
pack install tiny.jar --file jvm-installer "$work/setup.exe"
program find '' 'FIND_JVM 0 0' 'JMP0 @N1@ DONE' 'LAUNCH @S2@ 0' ':DONE'
printf '%s\n' 'JVM_EXE: bin\java.exe' 'JVM_PROPERTIES: java.version=...' 'CLASSPATH: "-classpath "' > "$work/find.jvm"
{ cat "$work/find.jvm"; echo 'VERIFY_CACHE: 1'; } > "$work/findc.jvm"
cp "$work/find.txt" "$work/findc.txt"
pack find tiny.jar --file jvm-file "$work/find.jvm" --file verify-archive "$build/java/verify.jar"
pack findc tiny.jar --file jvm-file "$work/findc.jvm" --file verify-archive "$build/java/verify.jar"

# once BEFORE PROGRAM ARGS...: one wall time, BEFORE (a shell command) run
# first; pair NAME-A NAME-B RUN-A RUN-B: the medians of $runs times of the
# two runs (each an once command line), interleaved so that both sides see
# the same machine load, in $NAME-A and $NAME-B.
once() {
  local before=$1 t
  shift
  eval "$before"
  t=$(cd "$work" && wine "$runner" "$@" 2>/dev/null | tr -d '\r' | sed -n 's/^seconds: //p')
  [ -n "$t" ] || { echo "no time from: $*" >&2; exit 1; }
  echo "$t"
}
pair() {
  local a="" b="" i
  for i in $(seq "$runs"); do
    a="$a$(eval "once $3")"$'\n'
    b="$b$(eval "once $4")"$'\n'
  done
  printf -v "$1" '%s' "$(printf '%s' "$a" | sort -g | sed -n "$(((runs + 1) / 2))p")"
  printf -v "$2" '%s' "$(printf '%s' "$b" | sort -g | sed -n "$(((runs + 1) / 2))p")"
}
opts() { echo "-mg:silent -mg:tempdir $w\\tmp -mg:log $w\\$1.log"; }
ran() {  # LOG: PrintArgs ran
  tr -d '\r' < "$work/$1.log" | grep -qx 'arg.0=one' || { echo "$1: the application did not run" >&2; exit 1; }
}

wine "$runner" "$w\\jdk\\bin\\java.exe" -version >/dev/null 2>&1 || true  # warm the prefix and the JVM's files
for name in big tiny install; do (cd "$work" && wine "$runner" "$w\\$name.exe" $(opts $name) >/dev/null 2>&1); done
(cd "$work" && wine "$runner" "$w\\findc.exe" $(opts findc) -mg:javahome "$w\\jdk" >/dev/null 2>&1)
pair second tiny ': "$w\\big.exe" $(opts big)' ': "$w\\tiny.exe" $(opts tiny)'
ran big && ran tiny
grep -q '^Cache used for ' <(tr -d '\r' < "$work/big.log") || { echo "big: the cache was not used" >&2; exit 1; }
pair first today '"rm -rf \"$cache/Big\"" "$w\\big.exe" $(opts big)' ': "$w\\today.exe" $(opts today)'
ran big && ran today
grep -q '^Cache filled for ' <(tr -d '\r' < "$work/big.log") || { echo "big: the cache was not filled" >&2; exit 1; }
pair installed found ': "$w\\install.exe" $(opts install)' ': "$w\\find.exe" $(opts find) -mg:javahome "$w\\jdk"'
ran install && ran find
grep -q '^Cache used for the bundled JVM' <(tr -d '\r' < "$work/install.log") ||
  { echo "install: the cached JVM was not used" >&2; exit 1; }
pair installed2 foundc ': "$w\\install.exe" $(opts install)' ': "$w\\findc.exe" $(opts findc) -mg:javahome "$w\\jdk"'
ran findc

awk -v today="$today" -v first="$first" -v second="$second" -v tiny="$tiny" -v inst="$installed" \
    -v found="$found" -v inst2="$installed2" -v foundc="$foundc" 'BEGIN {
  printf "60 MB archive, cache filled:              %.3f s\n", second
  printf "one-byte archive, cache filled:           %.3f s\n", tiny
  printf "ratio second launch / one-byte archive:   %.2f (goal at most 1.05)\n", second / tiny
  printf "60 MB archive, today (temporary folder):  %.3f s\n", today
  printf "60 MB archive, first launch (fills):      %.3f s\n", first
  printf "ratio first launch / today:               %.2f (goal at most 1.1)\n", first / today
  printf "bundled JVM from the cache, no installer: %.3f s\n", inst
  printf "installed JVM found (-mg:javahome, one verify run): %.3f s\n", found
  printf "installed JVM found, verify cache used:   %.3f s\n", foundc
  printf "ratio cached install / found:             %.2f (goal at most 1.1)\n", inst / found
  printf "ratio cached install / found with the verify cache: %.2f (%.3f s against %.3f s)\n", inst2 / foundc, inst2, foundc
}'
