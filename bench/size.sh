#!/usr/bin/env bash
# Benchmark (not a test): the size of what ships. The shipped (stripped)
# mglauncher.exe, what it is made of, and the bytes a packed launcher adds
# around its payload (the file index).
#
# Usage: bench/size.sh [BUILD_DIR]   (default build; its windows-i686/
#                                     sub-build holds the shipped launcher,
#                                     windows-x86_64/ its 64-bit flavour)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
exe=$build/windows-i686/launcher/mglauncher.exe
mgpack=$build/tools/mgpack
for f in "$exe" "$mgpack"; do
  [ -f "$f" ] || { echo "missing $f: build everything first" >&2; exit 1; }
done
bytes=$(stat -c %s "$exe")
awk -v b="$bytes" 'BEGIN { printf "shipped mglauncher.exe (i686, stripped): %.0f KB (%d bytes); goal at most 250 KB\n", b / 1024, b }'
for f in mglauncher-console windows-x86_64/launcher/mglauncher windows-x86_64/launcher/mglauncher-console; do
  case $f in */*) f=$build/$f.exe ;; *) f=$build/windows-i686/launcher/$f.exe ;; esac
  if [ -f "$f" ]; then echo "  ${f#"$build"/}: $(stat -c %s "$f") bytes"; fi
done
# Section sizes: code, read-only data, unwind tables, resources.
i686-w64-mingw32-objdump -h "$exe" | while read -r idx name size _; do
  case $idx in [0-9]*) awk -v n="$name" -v s="$((0x$size))" 'BEGIN { printf "  %-10s %6.1f KB\n", n, s / 1024 }' ;; esac
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A typical payload: program, launch script, JVM file, verify archive and
# an application archive, with names of ordinary length.
head -c 1000 /dev/urandom > "$work/app.jar"
head -c 1000 /dev/urandom > "$work/verify.jar"
printf 'INSTRUCTIONS:\n  FIND_JVM 1 0\n  LAUNCH @S2@ 0\n/:\n' > "$work/instructions.txt"
printf 'COMMAND: java -jar app.jar\n' > "$work/launch.txt"
printf 'JVM_EXE: bin\\java.exe\n' > "$work/java.jvm"
"$mgpack" build --stub "$exe" -o "$work/packed.exe" \
  --file instructions "$work/instructions.txt" --file launch-script "$work/launch.txt" \
  --file jvm-file "$work/java.jvm" --file verify-archive "$work/verify.jar" \
  --file application-archive "$work/app.jar" >/dev/null
payload=0
for f in instructions.txt launch.txt java.jvm verify.jar app.jar; do
  payload=$((payload + $(stat -c %s "$work/$f")))
done
packed=$(stat -c %s "$work/packed.exe")
added=$((packed - bytes - payload))
echo "packed launcher with 5 entries ($payload payload bytes): $packed bytes"
echo "bytes added around the payload (file index): $added, $((added / 5)) per entry on average"
