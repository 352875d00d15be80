#!/usr/bin/env bash
# Takes docs/progress-search.png: the real mglauncher.exe, packed with the
# sample of examples/sample/ as scripts/demo.sh packs it, running its
# FIND_JVM under Xvfb in a Wine virtual desktop. The JVM it finds is
# search_java.exe (built by the Windows build) at the sample JVM file's path
# hint C:\Program Files\Java\jdk-17; while the launcher verifies it, it holds
# its answer until the picture is taken, so the dialog shows
# "Searching for Java(tm) Virtual Machine... Verifying Java 17 runtime".
#
# Usage: docs/screenshot/make-search-screenshot.sh BUILD-DIR [OUTPUT.png]
#   BUILD-DIR: the native build (mgpack, java/verify.jar, examples/sample.jar)
#   with the shipped launcher in BUILD-DIR/windows-<arch> and the Windows
#   build in BUILD-DIR/windows (search_java, launchops_installer), as
#   scripts/demo.sh makes them. The run uses a Wine
#   prefix of its own, BUILD-DIR/shot-prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: make-search-screenshot.sh BUILD-DIR [OUTPUT.png]}" && pwd)
out=${2:-$here/docs/progress-search.png}
win=$build/windows
shipped=$build/windows-$("$here/scripts/windows-arch.sh")
need() { [ -f "$1" ] || { echo "missing $1 (build it first: $2)" >&2; exit 1; }; }
need "$build/tools/mgpack" "cmake --build $build --target mgpack"
need "$build/java/verify.jar" "cmake --build $build --target mg_verify_jar"
need "$build/examples/sample.jar" "cmake --build $build --target mg_sample_jar"
need "$shipped/launcher/mglauncher.exe" "cmake --build $shipped --target mglauncher"
need "$win/ui/search_java.exe" "cmake --build $win --target search_java"
need "$win/examples/launchops_installer.exe" "cmake --build $win --target launchops_installer"

export WINEPREFIX=$build/shot-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$here/tests/make-wineprefix.sh" "$WINEPREFIX"
c=$WINEPREFIX/drive_c
work=$(mktemp -d)
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

rm -rf "$c/Sample" && mkdir -p "$c/Sample"
"$build/tools/mgpack" build --stub "$shipped/launcher/mglauncher.exe" -o "$c/Sample/sample.exe" \
  --file instructions "$here/examples/sample/instructions.txt" \
  --file launch-script "$here/examples/sample/launch.txt" \
  --file jvm-file "$here/examples/sample/sample.jvm" \
  --file verify-archive "$build/java/verify.jar" \
  --file jvm-installer "$win/examples/launchops_installer.exe" --name setup.exe \
  --file application-archive "$build/examples/sample.jar" > /dev/null
home="$c/Program Files/Java/jdk-17"
rm -rf "$home" && mkdir -p "$home/bin"
cp "$win/ui/search_java.exe" "$home/bin/java.exe"

# search_java.exe finds these through the environment the launcher passes on.
export MG_SHOT_READY='C:\shot-ready.txt' MG_SHOT_TAKEN='C:\shot-taken.txt'
ready=$c/shot-ready.txt taken=$c/shot-taken.txt
rm -f "$ready" "$taken" "$c/Sample/run.log"
# No -mg:silent: the window must show. Every wait below is bounded, and the
# whole run too; the trap ends whatever Wine still runs.
wineserver -k 2>/dev/null || true
set +e
timeout 240 xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  wine explorer /desktop=shot,800x600 "C:\\Sample\\sample.exe" -mg:log "C:\\Sample\\run.log" &
  pid=$!
  for i in $(seq 1 600); do [ -s "$0" ] && break; sleep 0.1; done
  [ -s "$0" ] || { echo "the launcher never showed its verify status" >&2; wineserver -k; exit 1; }
  import -window root "$2/screen.png"
  touch "$1"
  for i in $(seq 1 600); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  wineserver -k 2>/dev/null
  wait $pid 2>/dev/null
  exit 0
' "$ready" "$taken" "$work"
rc=$?
set -e
[ $rc = 0 ] || { echo "the run failed ($rc); log:" >&2; tr -d '\r' < "$c/Sample/run.log" >&2 2>/dev/null; exit 1; }

{ read -r x y w h; read -r status; } < <(tr -d '\r' < "$ready")
echo "status line: $status"
case $status in
  *"Searching for Java(tm) Virtual Machine..."*"Verifying "*) ;;
  *) echo "unexpected status line" >&2; exit 1 ;;
esac
tr -d '\r' < "$c/Sample/run.log" | grep -q 'Found matching JVM at C:\\Program Files\\Java\\jdk-17' ||
  echo "note: the log does not show the JVM found" >&2
# The dialog and a margin of the desktop around it; the virtual desktop is
# the whole screen, so window coordinates are screen coordinates.
m=12
convert "$work/screen.png" -crop "$((w + 2 * m))x$((h + 2 * m))+$((x - m))+$((y - m))" +repage "$out"
rm -f "$ready" "$taken"
echo "wrote $out"
