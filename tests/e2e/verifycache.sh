#!/usr/bin/env bash
# VERIFY_CACHE end to end: a JVM file with the tag verifies a home once; the
# next launch uses the remembered result and runs no verify JVM; a touched
# java.exe, a damaged cache and a file without the tag verify again.
# Usage: verifycache.sh MGLAUNCHER BRIDGE SOURCE_DIR   (WINEPREFIX set; the
# verify class is the jvmhome fixture's J:\jars\verify.jar)
set -u
launcher=$1 bridge=$2 src=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
e2e_workdir mgtest-verifycache
cp "$launcher" mglauncher.exe
"$src/tests/jvmhome/make-jvmhome.sh" jdk "$bridge" >/dev/null || { fail "no JVM home"; e2e_finish e2e.verifycache; }
exe_win="$work_win\\jdk\\bin\\java.exe"

# The user's cache, as the launcher finds it; none before the first run.
appdata=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
cache=$(winepath -u "$appdata\\Marrowgate\\verify-cache.txt" 2>/dev/null)
[ -n "$cache" ] || fail "no LOCALAPPDATA in the prefix"
rm -f "$cache"

jvm_file() {  # NAME EXTRA-LINE
  printf 'DESC: Test JVM\nJVM_EXE: bin\\java.exe\nJVM_PROPERTIES: java.version=...\n%s\nCLASSPATH: "-classpath "\nCLASSPATH_SEPARATOR: ;\n' \
    "$2" > "$1"
}
jvm_file cached.jvm 'VERIFY_CACHE: 1'
jvm_file plain.jvm ''
verify() {  # WHAT JVM-FILE: the VERIFY_JVM action, which must answer 1
  printf 'LOGFILE: %s\\run.log\nVERIFY_CLASSPATH: """J:\\jars\\verify.jar"""\nVERIFY_CLASS_NAME: Verify\nACTION: VERIFY_JVM\nVERIFY_JVM_FILE: %s\\%s\nVERIFY_JVM_HOME: %s\\jdk\n' \
    "$work_win" "$work_win" "$2" "$work_win" > in.tag
  rm -f run.log
  local out
  out=$(timeout $((300 * ${MG_TIME_FACTOR:-1})) wine mglauncher.exe -mg:silent -mg:in "$work_win\\in.tag" 2>/dev/null | tr -d '\r')
  [ "$out" = 1 ] || fail "$1: output [$out], log: $(log_text run.log)"
}
ran_verify() { log_text run.log | grep -q '^Executing launch script command: '; }
used_cache() { log_text run.log | grep -qF "Using the cached verification result for $exe_win (verify cache "; }
expect() {  # WHAT RUNS-VERIFY(yes/no)
  if [ "$2" = yes ]; then
    ran_verify || fail "$1: no verify run: $(log_text run.log)"
    used_cache && fail "$1: the cache was used"
  else
    ran_verify && fail "$1: a verify JVM ran: $(log_text run.log)"
    used_cache || fail "$1: the log does not say the cached result was used: $(log_text run.log)"
  fi
}

verify first cached.jvm
expect first yes
log_text run.log | grep -qF "Remembered the verification of $exe_win in the verify cache " ||
  fail "first: not remembered: $(log_text run.log)"
[ -f "$cache" ] || fail "no cache file at $cache"

verify second cached.jvm
expect second no
log_text run.log | grep -qx 'Found matching JVM at C:\\mgtest-verifycache\\jdk' || fail "second: no match logged"

sleep 1
touch jdk/bin/java.exe
verify touched cached.jvm
expect touched yes

# One byte changed: refused as a whole, verified, written anew.
printf 'X' | dd of="$cache" bs=1 seek=20 conv=notrunc 2>/dev/null
verify damaged cached.jvm
expect damaged yes
log_text run.log | grep -q '^WARNING: The verify cache .* is damaged; it is written anew$' || fail "damage not logged"

# Without the tag, every launch verifies and nothing about a cache is logged.
verify untagged plain.jvm
ran_verify || fail "untagged: no verify run"
log_text run.log | grep -q 'verify cache\|cached verification' && fail "untagged: the cache was mentioned: $(log_text run.log)"

rm -f "$cache"
e2e_finish e2e.verifycache
