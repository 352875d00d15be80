#!/usr/bin/env bash
# One end-to-end case of the process hardening, under Wine.
# Usage: hardening.sh CASE MGLAUNCHER RUNNER PLANTED_DLL PROBE   (WINEPREFIX set)
# PLANTED_DLL appends the loading program's path to MG_PLANTED_MARKER when
# anything loads it; PROBE loads a DLL by its bare name with or without the
# launcher's DLL search restriction.
set -u
case_name=$1 launcher=$2 runner=$3 planted=$4 probe=$5
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work_unix=$WINEPREFIX/drive_c/mgtest-hardening-$case_name
work_win='C:\mgtest-hardening-'$case_name
rm -rf "$work_unix" && mkdir -p "$work_unix" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export MG_PLANTED_MARKER="$work_win\\marker.txt"
marker=$work_unix/marker.txt

case $case_name in
dll-probe)
  # The restriction itself: a DLL loaded by its bare name is not taken from
  # the program's folder or the current directory. The plain rows show that
  # without it Wine would take the planted one.
  mkdir -p "$work_unix/bin" "$work_unix/cwd"
  cp "$probe" "$work_unix/bin/probe.exe"
  while read -r mode where expected; do
    rm -f "$marker" "$work_unix/bin/mgplanted.dll" "$work_unix/cwd/mgplanted.dll"
    cp "$planted" "$work_unix/$where/mgplanted.dll"
    (cd "$work_unix/cwd" && wine "$work_win\\bin\\probe.exe" "$mode" mgplanted.dll > /dev/null 2>&1)
    if [ "$expected" = loaded ]; then
      [ -s "$marker" ] || fail "$mode, DLL in $where: the planted DLL was not loaded, so this row shows nothing"
    else
      [ ! -e "$marker" ] || fail "$mode, DLL in $where: the planted DLL was loaded: $(cat "$marker")"
    fi
  done <<'EOF'
plain      bin  loaded
restricted bin  not-loaded
plain      cwd  loaded
restricted cwd  not-loaded
EOF
  ;;
dll-launcher)
  # The real launcher with copies of the planted DLL under the names of the
  # DLLs it loads after its start under Wine (the theme and COM helpers),
  # beside it and in its current directory. Wine takes its own builtins for
  # these names in any case, so this shows that none is picked up; the
  # dll-probe case shows that the restriction works.
  mkdir -p "$work_unix/bin" "$work_unix/cwd"
  cp "$launcher" "$work_unix/bin/mglauncher.exe"
  for name in uxtheme.dll oleaut32.dll actxprxy.dll dwmapi.dll mgplanted.dll; do
    cp "$planted" "$work_unix/bin/$name"
    cp "$planted" "$work_unix/cwd/$name"
  done
  out=$(cd "$work_unix/cwd" && timeout $((300 * ${MG_TIME_FACTOR:-1})) wine "$runner" "$work_win\\bin\\mglauncher.exe" raw \
    "-mg:silent -mg:log $work_win\\run.log -mg:version" 2>&1 | tr -d '\r')
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "run: $out"
  [ ! -e "$marker" ] || fail "a planted DLL was loaded: $(cat "$marker")"
  ;;
batch-chars)
  # Self-removal of a launcher whose folder name holds a blank, &, ^ and a
  # %...% that names a real variable: the batch file must delete exactly that
  # executable and folder, and itself, and nothing next to them.
  base_name='a b&c^d%PATH%e'
  base_unix=$work_unix/$base_name
  base_win=$work_win'\'$base_name
  mkdir -p "$base_unix/LRE1.tmp" "$base_unix/root" "$base_unix/LRE1"
  cp "$launcher" "$base_unix/LRE1.tmp/mglauncher.exe"
  echo keep > "$base_unix/sentinel.txt"
  echo keep > "$base_unix/LRE1/sentinel.txt"
  echo keep > "$base_unix/LRE1.tmp.txt"
  out=$(DBGWIN32TVX="$base_win\\trace.txt" timeout $((300 * ${MG_TIME_FACTOR:-1})) wine "$runner" "$base_win\\LRE1.tmp\\mglauncher.exe" raw \
    "-mg:silent -mg:tempdir \"$base_win\\root\" -mg:orig C:\\original.exe" 2>&1 | tr -d '\r')
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "run: $out"
  for _ in $(seq 1 $((150 * ${MG_TIME_FACTOR:-1}))); do
    [ -e "$base_unix/LRE1.tmp" ] || [ -n "$(ls -A "$base_unix/root")" ] || break
    sleep 0.2
  done
  [ ! -e "$base_unix/LRE1.tmp" ] || fail "launcher folder still there: $(ls -A "$base_unix/LRE1.tmp")"
  [ -z "$(ls -A "$base_unix/root")" ] || fail "batch file left behind: $(ls -A "$base_unix/root")"
  for f in sentinel.txt LRE1/sentinel.txt LRE1.tmp.txt; do
    [ -f "$base_unix/$f" ] || fail "$f next to the launcher was deleted"
  done
  trace=$(tr -d '\r' < "$base_unix/trace.txt" 2>/dev/null)
  bat=$(printf '%s\n' "$trace" | sed -n 's/^Launcher: Cleanup batch file called: \(.*\)\.tmp$/\1.bat/p')
  case $bat in "$base_win\\root\\LRE"*) ;; *) fail "batch file not in -mg:tempdir: $bat; trace: $trace" ;; esac
  printf '%s\n' "$trace" | grep -qxF "Deleting $base_win\\LRE1.tmp\\mglauncher.exe from within batch file. " ||
    fail "batch did not trace the deletion with the path unchanged: $trace"
  printf '%s\n' "$trace" | grep -qxF "Deleted batch file $bat from within batch file. " ||
    fail "batch did not trace its own deletion: $trace"
  ;;
*)
  echo "unknown case $case_name"
  exit 2
  ;;
esac

if [ $failures -eq 0 ]; then rm -rf "$work_unix"; fi
exit $((failures > 0))
