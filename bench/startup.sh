#!/usr/bin/env bash
# Benchmark (not a test): the launcher's start-up overhead. Wall time of a
# trivial Java program started through a packed launcher with -mg:javahome
# (one verify run, then the launch), against the same JVM started directly on
# the same program, and the verify run alone, all under the same Wine. Then
# the same launch with a JVM file that asks for the verify cache
# (VERIFY_CACHE: 1), once to fill the cache, then as every later launch runs.
#
# Usage: xvfb-run -a bench/startup.sh [BUILD_DIR] [RUNS]   (default build, 5)
#   BUILD_DIR  the native build (bridge/java.exe.so, java/*.jar, tools/mgpack)
#              whose windows/ sub-build holds temp_run.exe and whose
#              windows-<arch>/ sub-build the shipped mglauncher.exe
# Times are the best of RUNS, measured by temp_run around the process; the
# launcher waits for the application, whose output it captures.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
runs=${2:-5}
win=$build/windows
launcher=$build/windows-$("$here/../scripts/windows-arch.sh")/launcher/mglauncher.exe runner=$win/tests/temp_run.exe
mgpack=$build/tools/mgpack bridge=$build/bridge/java.exe.so
app=$build/java/printargs.jar verify=$build/java/verify.jar
for f in "$launcher" "$runner" "$mgpack" "$bridge" "$app" "$verify"; do
  [ -f "$f" ] || { echo "missing $f: build everything first (scripts/test.sh or cmake --build)" >&2; exit 1; }
done
export WINEPREFIX=${WINEPREFIX:-$win/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || "$here/../tests/make-wineprefix.sh" "$WINEPREFIX"

work=$WINEPREFIX/drive_c/mgbench-start
w='C:\mgbench-start'
rm -rf "$work" && mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
"$here/../tests/jvmhome/make-jvmhome.sh" "$work/jdk" "$bridge" >/dev/null
cp "$app" "$work/printargs.jar"
cp "$verify" "$work/verify.jar"
cat > "$work/program.txt" <<'TXT'
INSTRUCTIONS:
  FIND_JVM 0 0
  JMP0 @N1@ DONE
  LAUNCH @S2@ 0
  :DONE
/:
TXT
printf '%s\n' 'COMMAND: """@JVM_HOME@\@JVM_EXE@"" %CP%() PrintArgs one two"' \
  'ARCHIVE: """%APPLICATION_ARCHIVE%()"""' > "$work/launch.txt"
printf '%s\n' 'JVM_EXE: bin\java.exe' 'JVM_PROPERTIES: java.version=...' \
  'CLASSPATH: "-classpath "' 'CLASSPATH_SEPARATOR: ;' > "$work/bench.jvm"
{ cat "$work/bench.jvm"; echo 'VERIFY_CACHE: 1'; } > "$work/cached.jvm"
for name in bench cached; do
  "$mgpack" build --stub "$launcher" -o "$work/$name.exe" \
    --file instructions "$work/program.txt" --file launch-script "$work/launch.txt" \
    --file jvm-file "$work/$name.jvm" --file verify-archive "$work/verify.jar" \
    --file application-archive "$work/printargs.jar" >/dev/null
done

# best PROGRAM ARGS...: the fastest of $runs wall times in seconds.
best() {
  local t b=""
  for _ in $(seq "$runs"); do
    t=$(cd "$work" && wine "$runner" "$@" 2>/dev/null | tr -d '\r' | sed -n 's/^seconds: //p')
    [ -n "$t" ] || { echo "no time from: $*" >&2; exit 1; }
    if [ -z "$b" ] || awk -v a="$t" -v b="$b" 'BEGIN { exit !(a < b) }'; then b=$t; fi
  done
  echo "$b"
}

java="$w\\jdk\\bin\\java.exe"
wine "$runner" "$java" -version >/dev/null 2>&1 || true  # warm the prefix and the JVM's files
direct=$(best "$java" -classpath "$w\\printargs.jar" PrintArgs one two)
verify_run=$(best "$java" -classpath "$w\\verify.jar" Verify java.version)
empty=$(best "$w\\bench.exe" -mg:silent -mg:version)
through=$(best "$w\\bench.exe" -mg:silent -mg:log "$w\\run.log" -mg:javahome "$w\\jdk")
# The run above must really have verified the home and launched the program.
tr -d '\r' < "$work/run.log" | grep -q '^arg.0=one$' || { echo "the launched program did not run" >&2; exit 1; }
(cd "$work" && wine "$runner" "$w\\cached.exe" -mg:silent -mg:javahome "$w\\jdk" >/dev/null 2>&1)  # fills the cache
cached=$(best "$w\\cached.exe" -mg:silent -mg:log "$w\\cached.log" -mg:javahome "$w\\jdk")
tr -d '\r' < "$work/cached.log" | grep -q '^Using the cached verification result for ' ||
  { echo "the launch with the verify cache did not use it" >&2; exit 1; }

awk -v d="$direct" -v v="$verify_run" -v l="$through" -v e="$empty" -v c="$cached" 'BEGIN {
  printf "JVM started directly on the program:   %.3f s\n", d
  printf "one verify run (JVM on the verify class): %.3f s\n", v
  printf "through the launcher (-mg:javahome):   %.3f s\n", l
  own = l - d - v
  printf "the launcher adds %.3f s besides one verify run: %.1f%% of the direct start\n", own, 100 * own / d
  printf "of which the launcher process itself (start, windows, exit; -mg:version): %.3f s\n", e
  printf "verify run share of the launcher run: %.1f%%\n", 100 * v / l
  printf "through the launcher, verify cache used (VERIFY_CACHE: 1): %.3f s\n", c
  printf "start-up ratio launcher/direct without the verify cache: %.2f\n", l / d
  printf "start-up ratio launcher/direct with the verify cache: %.2f\n", c / d
}'
