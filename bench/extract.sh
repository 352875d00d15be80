#!/usr/bin/env bash
# Benchmark (not a test): extraction of one 100 MB embedded file by the real
# launcher against a plain copy of the same bytes on the same drive (cmd's
# copy under the same Wine), and the launcher's peak memory. Twice: silent
# (-mg:extract), and as users see it, the application archive of a launch
# with the progress window shown (the launched program is cmd /c rem).
#
# Usage: xvfb-run -a bench/extract.sh [WINDOWS_BUILD_DIR] [SIZE_MB]
#   WINDOWS_BUILD_DIR  the Windows test build (default: build/windows)
#                      holding tools/mgpack.exe and tests/temp_run.exe; its
#                      wineprefix is used unless WINEPREFIX is set. The
#                      launcher is the shipped one beside it:
#                      windows-<arch>/launcher/mglauncher.exe.
#   SIZE_MB            size of the embedded file (default: 100)
# Times are the median of 5 runs (RUNS in the environment), measured by
# temp_run around the process, with the same program's start-up (a run that
# does no copying) subtracted: for the launch, the same launcher with a
# one-byte archive.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/windows}" && pwd)
size_mb=${2:-100}
launcher=$(dirname "$build")/windows-$("$here/../scripts/windows-arch.sh")/launcher/mglauncher.exe
mgpack=$build/tools/mgpack.exe
runner=$build/tests/temp_run.exe
for f in "$launcher" "$mgpack" "$runner"; do
  [ -f "$f" ] || { echo "missing $f: build everything first (cmake --build build)" >&2; exit 1; }
done
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || "$here/../tests/make-wineprefix.sh" "$WINEPREFIX"

work=$WINEPREFIX/drive_c/mgbench-extract
win='C:\mgbench-extract'
rm -rf "$work" && mkdir -p "$work/out"
trap 'rm -rf "$work"' EXIT
head -c $((size_mb * 1024 * 1024)) /dev/urandom > "$work/app.jar"
head -c 1 /dev/urandom > "$work/tiny.jar"
printf 'INSTRUCTIONS:\n  INITIALIZE_UI\n  ILAUNCH 0 30\n/:\n' > "$work/program.txt"
printf 'COMMAND: cmd /c rem %%APPLICATION_ARCHIVE%%()\n' > "$work/launch.txt"
printf 'JVM_EXE: bin\\java.exe\n' > "$work/any.jvm"
(cd "$work" && stub=$(winepath -w "$launcher") &&
 wine "$mgpack" build --stub "$stub" -o packed.exe --file application-archive app.jar >/dev/null &&
 for size in big tiny; do
   archive=app.jar; [ $size = tiny ] && archive=tiny.jar
   wine "$mgpack" build --stub "$stub" -o "shown-$size.exe" --file jvm-file any.jvm \
     --file instructions program.txt --file launch-script launch.txt \
     --file application-archive "$archive" >/dev/null
 done)

# median DIR PROGRAM ARGS...: "seconds peak-kb" of the median of $runs runs in
# DIR, the extracted or copied file removed before each run. The median, not
# the fastest: on a shared machine a lucky start-up of the baseline run would
# otherwise eat the time of the copy it is subtracted from.
runs=${RUNS:-5}
median() {
  local dir=$1
  shift
  local lines="" out s k
  for _ in $(seq "$runs"); do
    rm -f "$work/out/app.jar" "$work/out/input.tag" "$work/out/copy.jar"
    out=$(cd "$dir" && wine "$runner" "$@" 2>/dev/null | tr -d '\r')
    s=$(printf '%s\n' "$out" | sed -n 's/^seconds: //p')
    k=$(printf '%s\n' "$out" | sed -n 's/^peak working set KB: //p')
    lines="$lines$s $k"$'\n'
  done
  printf '%s' "$lines" | sort -g | sed -n "$(((runs + 1) / 2))p"
}

wine "$runner" cmd /c rem >/dev/null 2>&1  # warm the prefix
base_launcher=$(median "$work/out" "$win\\packed.exe" -mg:silent -mg:version)
extract=$(median "$work/out" "$win\\packed.exe" -mg:silent -mg:extract)
(cd "$work/out" && wine "$runner" "$win\\packed.exe" -mg:silent -mg:extract >/dev/null 2>&1)
cmp -s "$work/app.jar" "$work/out/app.jar" || { echo "extraction did not produce the same bytes" >&2; exit 1; }
# The window stays up for the launch's 30 seconds; the launcher ends with cmd.
shown_base=$(median "$work/out" "$win\\shown-tiny.exe" -mg:tempdir "$win\\out")
shown=$(median "$work/out" "$win\\shown-big.exe" -mg:tempdir "$win\\out")
base_copy=$(median "$work/out" cmd /c rem)
copy=$(median "$work/out" cmd /c copy /b "$win\\app.jar" "$win\\out\\copy.jar")

awk -v mb="$size_mb" -v e="${extract%% *}" -v eb="${base_launcher%% *}" \
    -v c="${copy%% *}" -v cb="${base_copy%% *}" \
    -v s="${shown%% *}" -v sb="${shown_base%% *}" \
    -v epeak="${extract##* }" -v bpeak="${base_launcher##* }" -v cpeak="${copy##* }" 'BEGIN {
  ne = e - eb; if (ne < 0.001) ne = 0.001
  nc = c - cb; if (nc < 0.001) nc = 0.001
  printf "entry size:                %d MB\n", mb
  printf "extraction (-mg:extract):  %.3f s, %.3f s after start-up, %.0f MB/s\n", e, ne, mb / ne
  printf "plain copy (cmd copy /b):  %.3f s, %.3f s after start-up, %.0f MB/s\n", c, nc, mb / nc
  printf "throughput ratio extraction/copy: %.2f\n", nc / ne
  ns = s - sb; if (ns < 0.001) ns = 0.001
  printf "extraction with the window shown (launch): %.3f s, %.3f s after start-up, %.0f MB/s\n", s, ns, mb / ns
  printf "throughput ratio extraction/copy with the window shown: %.2f\n", nc / ns
  printf "throughput ratio extraction with the window shown/silent: %.2f\n", ne / ns
  printf "launcher peak working set: %.1f MB extracting, %.1f MB for a run without extraction\n", epeak / 1024, bpeak / 1024
  printf "memory the extraction itself adds: %.1f MB (cmd copy peaks at %.1f MB: most of a Wine process is Wine)\n", (epeak - bpeak) / 1024, cpeak / 1024
}'
