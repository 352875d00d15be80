#!/usr/bin/env bash
# The JVM homes the Wine tests verify and launch with, made once per test run
# under DIR, which becomes drive J: of $WINEPREFIX:
#   J:\jdk17\bin\java.exe    the bridge to Debian's OpenJDK
#   J:\jdk 17\bin\java.exe   the same in a home whose name holds a blank, and
#   J:\jdk.exe              a decoy that an unquoted "J:\jdk 17\..." would start
#   J:\nojava                a home without an executable
#   J:\jars\*.jar            the jars given as further arguments
# Everything the tests touch lies on J:, so they keep working when another
# test changes drive Z:.
#
#   setup-test-homes.sh DIR BRIDGE [JAR...]
set -eu
[ $# -ge 2 ] || { echo "usage: setup-test-homes.sh DIR BRIDGE [JAR...]" >&2; exit 2; }
: "${WINEPREFIX:?WINEPREFIX must name the prefix of the build tree}"
dir=$1 bridge=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$dir"
mkdir -p "$dir/nojava" "$dir/jars"
"$here/make-jvmhome.sh" -d j: "$dir/jdk17" "$bridge" >/dev/null
"$here/make-jvmhome.sh" "$dir/jdk 17" "$bridge" >/dev/null
cp -f "$bridge" "$dir/jdk.exe"
for jar in "$@"; do
  [ -f "$jar" ] || { echo "setup-test-homes.sh: missing $jar" >&2; exit 1; }
  cp -f "$jar" "$dir/jars/"
done
