#!/usr/bin/env bash
# A Linux "java" for the java.exe bridge (MG_BRIDGE_JAVA) that lets one
# Debian JVM stand for JVMs of several versions. It runs the real JVM and,
# when the home being verified ($JAVA_HOME, which the launcher sets for each
# verify run) holds a file mg-spec-version, reports that text as the value of
# java.specification.version; one with a file mg-data-model reports that
# text as sun.arch.data.model, so that a home can stand for a 32-bit JVM. A
# home with a file mg-broken prints nothing and fails, as a damaged
# installation does.
real=${MG_REAL_JAVA:-/usr/lib/jvm/java-17-openjdk-amd64/bin/java}
if [ -f "$JAVA_HOME/mg-broken" ]; then
  echo "Error: could not find java.dll" >&2
  exit 1
fi
[ -f "$JAVA_HOME/mg-spec-version" ] || [ -f "$JAVA_HOME/mg-data-model" ] || exec "$real" "$@"
version=$(cat "$JAVA_HOME/mg-spec-version" 2>/dev/null)
model=$(cat "$JAVA_HOME/mg-data-model" 2>/dev/null)
# The verify class's arguments, the property names, follow the class name.
names=() after=0
for arg in "$@"; do
  [ $after = 1 ] && names+=("$arg")
  case $arg in Verify|\"Verify\") after=1 ;; esac
done
"$real" "$@" | {
  IFS= read -r magic && printf '%s\n' "$magic"
  i=0
  while IFS= read -r line; do
    [ -n "$version" ] && [ "${names[$i]:-}" = java.specification.version ] && line=$version
    [ -n "$model" ] && [ "${names[$i]:-}" = sun.arch.data.model ] && line=$model
    printf '%s\n' "$line"
    i=$((i + 1))
  done
}
