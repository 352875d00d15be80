#!/usr/bin/env bash
# mgpack.exe given damaged files: a clear message on standard error, exit
# status 1 and no output, never an abort. The icons' images and the stub's
# resource data lie at offsets near 2^32, which a 32-bit size_t wraps past
# the bounds: the case is meant for the 32-bit mgpack.exe
# (build/windows-i686/tools/mgpack.exe), and runs any flavour Wine can run.
# Usage: mgpack.sh CASE MGPACK.EXE MGLAUNCHER   (WINEPREFIX set)
set -u
case_name=$1 mgpack=$2 launcher=$3
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work_unix=$WINEPREFIX/drive_c/mgtest-mgpack-$case_name
rm -rf "$work_unix" && mkdir -p "$work_unix" && cd "$work_unix" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cp "$launcher" mglauncher.exe

# refused WANT ARGS...: mgpack.exe build ARGS -o out.exe must fail with
# status 1 and the message WANT, and write nothing.
refused() {
  local want=$1 status
  shift
  wine "$mgpack" build "$@" -o out.exe > out.txt 2> err.txt
  status=$?
  local err
  err=$(tr -d '\r' < err.txt)
  [ "$status" = 1 ] || fail "$*: exit status $status (1 expected), standard error: $err"
  [ "$err" = "$want" ] || fail "$*: said <<$err>>, expected <<$want>>"
  [ ! -e out.exe ] && [ ! -e out.exe.mgpack-tmp ] || fail "$*: wrote an output"
}

case $case_name in
damaged-icon)
  # One 40-byte bitmap image; the directory entry's size and offset damaged.
  # Each end wraps below the file's size in 32 bits: substr would throw, or
  # take what is there.
  for entry in "48 4294967280" "4294967280 22" "40 4294967295"; do
    set -- $entry
    /usr/bin/python3 -c '
import struct, sys
size, offset = int(sys.argv[1]), int(sys.argv[2])
header = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 1, 1, 0, 0, 1, 32, size, offset)
sys.stdout.buffer.write(header + struct.pack("<I", 40) + bytes(36))' "$1" "$2" > damaged.ico
    refused "mgpack: damaged.ico is not a usable icon file: image 1 lies outside the file" \
      --stub mglauncher.exe --icon damaged.ico
  done
  ;;
damaged-stub)
  # The launcher's first resource: its size near 2^32 (the end wraps to
  # just before the data in 32 bits: the rest of the file would be taken),
  # then its place.
  for field in Size OffsetToData; do
    /usr/bin/python3 - "$field" <<'PY'
import sys, pefile
pe = pefile.PE("mglauncher.exe")
entry = pe.DIRECTORY_ENTRY_RESOURCE.entries[0].directory.entries[0].directory.entries[0].data.struct
setattr(entry, sys.argv[1], 0xFFFFFFF0)
pe.write("damaged.exe")
PY
    refused "mgpack: the stub's resources are damaged" --stub damaged.exe --version-info ProductName=Sample
  done
  ;;
*)
  echo "unknown case $case_name"
  exit 2
  ;;
esac

cd / && rm -rf "$work_unix"
if [ "$failures" -gt 0 ]; then
  echo "$case_name: $failures failure(s)"
  exit 1
fi
echo "$case_name: ok"
