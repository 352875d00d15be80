#!/usr/bin/env bash
# The launchers the end-to-end runs use are the files users get: stripped,
# with no symbol table and no debug sections.
# Usage: shipped.sh OBJDUMP LAUNCHER...
set -u
objdump=$1
shift
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for exe in "$@"; do
  [ -f "$exe" ] || { fail "$exe is missing"; continue; }
  "$objdump" -t "$exe" 2>&1 | grep -q 'no symbols' || fail "$exe has a symbol table: it is not the stripped launcher"
  "$objdump" -h "$exe" | grep -q ' \.debug' && fail "$exe has debug sections"
done
[ $failures -eq 0 ] && echo "e2e.shipped passed: $*"
exit $((failures > 0))
