#!/usr/bin/env bash
# Links with ld.lld instead of GNU ld: the shipped build's link rule for the
# launchers (RULE_LAUNCH_LINK), because Debian's mingw gcc ignores
# -fuse-ld=lld. lld drops the dead code GNU ld keeps for its unwind tables.
# Usage: lld-link.sh [--subsystem-version=MAJOR.MINOR] COMPILER ARGS...
# It asks the compiler driver for the linker command it would run (-###) and
# runs ld.lld on the same arguments, without the LTO plugin's, and with the
# subsystem version given (4.0 lets Windows 9x- and XP-level loaders take a
# 32-bit launcher; without it lld's default stays), and with the time stamp
# SOURCE_DATE_EPOCH gives, where it is set.
set -eu
version=
case ${1:-} in
  --subsystem-version=*) version=${1#*=}; shift ;;
esac
[ $# -gt 0 ] || { echo "usage: lld-link.sh [--subsystem-version=X.Y] COMPILER ARGS..." >&2; exit 2; }
# The link rule's other steps (the objects' archive) run as they are.
case ${1##*/} in
  *-g++* | *-gcc* | *-c++*) ;;
  *) exec "$@" ;;
esac
# The driver prints each command with its arguments quoted for the shell
# (", \ and $ escaped); the linker's is the collect2 (or ld) line.
line=$("$@" -### 2>&1 >/dev/null | grep -E '^ ("[^"]*|[^ "]*)/(collect2|ld)(\.exe)?"? ' | tail -n 1) || true
[ -n "$line" ] || { echo "lld-link.sh: $1 -### printed no linker command" >&2; exit 1; }
eval "set -- $line"
shift
args=()
while [ $# -gt 0 ]; do
  case $1 in
    -plugin) shift ;;
    -plugin-opt=*) ;;
    --subsystem)
      args+=("$1" "$2${version:+:$version}")
      shift ;;
    *) args+=("$1") ;;
  esac
  shift
done
# The PE header's time stamp: the release's time where one is set (as GNU
# ld does), so that two release builds give the same bytes.
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  args+=("--Xlink=-timestamp:$SOURCE_DATE_EPOCH")
fi
exec ld.lld "${args[@]}"
