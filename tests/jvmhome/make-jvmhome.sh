#!/usr/bin/env bash
# Makes a JVM home for tests and demos: HOME/bin/java.exe (and javaw.exe) is
# the winelib bridge, which runs Debian's Linux JVM. Prints the home's path
# as Windows programs under Wine see it.
#
#   make-jvmhome.sh [-d DRIVE] HOME BRIDGE
#
#   HOME    the folder to create (its parents are created too); it gets the
#           Linux JVM's "release" file, which names the version
#   BRIDGE  the built bridge, build/bridge/java.exe.so
#   -d X:   also map drive X: of $WINEPREFIX to HOME's parent folder, so the
#           home reads as X:\NAME; without it the home reads as Z:\... (Z: is /)
set -eu
usage() { echo "usage: make-jvmhome.sh [-d DRIVE] HOME BRIDGE" >&2; exit 2; }
drive=""
if [ "${1:-}" = "-d" ]; then
  drive=$(echo "${2:-}" | tr 'A-Z' 'a-z')
  shift 2 || usage
  case "$drive" in [a-y]:) ;; *) echo "make-jvmhome.sh: drive must be a letter a-y and a colon" >&2; exit 2 ;; esac
fi
[ $# -eq 2 ] || usage
home=$1 bridge=$2
[ -f "$bridge" ] || { echo "make-jvmhome.sh: no bridge at $bridge" >&2; exit 1; }
mkdir -p "$home/bin"
home=$(cd "$home" && pwd)
# Wine recognises the winelib program by its contents, whatever its name.
cp -f "$bridge" "$home/bin/java.exe"
cp -f "$bridge" "$home/bin/javaw.exe"
# A real home carries the "release" file that names its version; the Linux
# JVM the bridge runs has one.
java=${MG_BRIDGE_JAVA:-$(command -v java || true)}
if [ -n "$java" ]; then
  release=$(dirname "$(dirname "$(readlink -f "$java")")")/release
  [ -f "$release" ] && cp -f "$release" "$home/release"
fi
if [ -n "$drive" ]; then
  : "${WINEPREFIX:?WINEPREFIX must name the prefix whose drive is mapped}"
  mkdir -p "$WINEPREFIX/dosdevices"
  ln -sfn "$(dirname "$home")" "$WINEPREFIX/dosdevices/$drive"
  echo "$(echo "$drive" | tr 'a-z' 'A-Z')\\$(basename "$home")"
else
  echo "Z:$home" | tr '/' '\\'
fi
