#!/usr/bin/env bash
# Damaged and hostile launcher files (tests/hostile/make_corpus.py), each run
# under Wine as a plain run and as -mg:extract. Every run must end by itself
# with exit code 0 and the expected record in its log, leave no temporary
# item behind, create nothing outside the folders it was given and delete
# nothing it did not create.
# Usage: hostile.sh MGLAUNCHER RUNNER BINDIR [CASE...]   (WINEPREFIX set)
# RUNNER (foundation_runner.exe) answers message boxes and stops a run that
# does not end within two minutes (exit code 99).
set -u
launcher=$1 runner=$2 bindir=$3
shift 3
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The logs hold whatever bytes the damaged files carried: match them as
# bytes, whatever the caller's locale (a UTF-8 locale's grep skips lines
# that are not valid UTF-8).
export LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)
corpus=$bindir/hostile-corpus
root_unix=$WINEPREFIX/drive_c/mgtest-hostile
root_win='C:\mgtest-hostile'
rm -rf "$corpus" "$root_unix" && mkdir -p "$root_unix" || exit 1
python3 "$here/../hostile/make_corpus.py" "$launcher" "$corpus" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The system temporary folder, where a run that ignored -mg:tempdir would
# leave its items.
system_temp=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp 2>/dev/null | head -1)
temp_items() { [ -n "$system_temp" ] && ls -A "$system_temp" | grep -i '^LRE' | sort; }
system_before=$(temp_items)

# run CASE MODE PATTERN: one run of the case's launcher in a folder of its own.
run() {
  local name=$1 mode=$2 pattern=$3
  local dir_unix=$root_unix/$name-$mode dir_win=$root_win'\'$name-$mode
  local args out log left
  mkdir -p "$dir_unix/tmp" "$dir_unix/out"
  cp "$corpus/$name.exe" "$dir_unix/launcher.exe"
  # Files that were there before the run: nothing may delete them.
  echo keep > "$dir_unix/sentinel.txt"
  echo keep > "$dir_unix/tmp/sentinel.txt"
  args="-mg:silent -mg:tempdir $dir_win\\tmp -mg:log $dir_win\\run.log"
  [ "$mode" = extract ] && args="$args -mg:extract"
  out=$(cd "$dir_unix/out" && timeout $((300 * ${MG_TIME_FACTOR:-1})) wine "$runner" "$dir_win\\launcher.exe" raw "$args" 2>&1 | tr -d '\r')
  local what="$name ($mode)"
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "$what: did not end with exit code 0: $out"
  printf '%s\n' "$out" | grep -q '^message: ' && fail "$what: a message box in a silent run: $out"
  log=$(tr -d '\r\0' 2>/dev/null < "$dir_unix/run.log")
  [ -n "${MG_HOSTILE_SHOW:-}" ] && echo "$what: $(printf '%s\n' "$log" | grep -a '^ERROR: ' | cut -c1-200)"
  if [ "$pattern" = '^$' ]; then
    printf '%s\n' "$log" | grep -aq '^ERROR: ' && fail "$what: unexpected error record: $log"
  else
    printf '%s\n' "$log" | grep -aEq "$pattern" || fail "$what: no log line matching $pattern; log:
$(printf '%s\n' "$log" | grep -a -v '^  \(file id\|length\|offset\): ' | cut -c1-300 | tail -20)"
  fi
  [ "$(ls -A "$dir_unix/tmp")" = sentinel.txt ] || fail "$what: temporary items left: $(ls -A "$dir_unix/tmp")"
  [ -f "$dir_unix/sentinel.txt" ] || fail "$what: the sentinel beside the launcher was deleted"
  left=$(ls -A "$dir_unix" | grep -vx 'launcher.exe\|run.log\|sentinel.txt\|tmp\|out')
  [ -z "$left" ] && [ -z "$(ls -A "$root_unix" | grep -v -- '-plain$\|-extract$')" ] ||
    fail "$what: files written outside the current folder: $left $(ls -A "$root_unix")"
  # Only -mg:extract writes to the current folder, and only plain files.
  if [ "$mode" = plain ]; then
    [ -z "$(ls -A "$dir_unix/out")" ] || fail "$what: files in the current folder: $(ls -A "$dir_unix/out")"
  else
    [ -z "$(find "$dir_unix/out" -mindepth 1 -type d)" ] || fail "$what: folders in the current folder"
  fi
  [ -z "$(find "$root_unix" -iname 'evil*' -o -iname 'second.exe' | grep -v '/out/')" ] ||
    fail "$what: a hostile name escaped its folder: $(find "$root_unix" -iname 'evil*')"
  [ $failures -eq 0 ] && rm -rf "$dir_unix"
}

count=0
while IFS=$'\t' read -r name plain extract; do
  if [ $# -gt 0 ]; then
    case " $* " in *" $name "*) ;; *) continue ;; esac
  fi
  run "$name" plain "$plain"
  run "$name" extract "$extract"
  count=$((count + 1))
done < "$corpus/cases.txt"
[ $count -gt 0 ] || fail "no case ran"

# The launcher's own temporary names in the system folder: none may be new.
# (A concurrent run elsewhere in this prefix could add one; the tests of this
# build tree share the prefix but not this folder's LRE names at once.)
new=$(comm -13 <(printf '%s\n' "$system_before") <(printf '%s\n' "$(temp_items)") | grep . )
[ -z "$new" ] || fail "items left in the system temporary folder: $new"

echo "$count cases"
if [ $failures -eq 0 ]; then rm -rf "$root_unix" "$corpus"; fi
exit $((failures > 0))
