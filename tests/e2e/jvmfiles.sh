#!/usr/bin/env bash
# The ready JVM files of jvm/jvmfiles against the Java installations people
# have, under Wine: every row of the distribution table in
# docs/vendor-guide.md is laid out as its installer leaves it (registry values
# in the installer's view, the home in its default folder, the update release
# in no hint), and each file the row names must find it by a platform hint.
# Then: the newest of two updates, a version range that refuses an older JVM
# after running it, the reasons and the summary of a failed search, a home
# named by JAVA_HOME, and a broken java.exe first on the PATH.
# Usage: jvmfiles.sh MGLAUNCHER BRIDGE SOURCE_DIR   (WINEPREFIX set; the
#   jvmhome fixture gives J:\jars\verify.jar)
# The one Debian JVM stands for every version: tests/helpers/versioned-java.sh
# reports a home's mg-spec-version as its java.specification.version.
set -u
unset JAVA_HOME JDK_HOME JRE_HOME
launcher=$1 bridge=$(cd "$(dirname "$2")" && pwd)/$(basename "$2") src=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
export MG_BRIDGE_JAVA=$src/tests/helpers/versioned-java.sh
e2e_workdir mgtest-jvmfiles
cp "$launcher" mglauncher.exe
cp "$src"/jvm/jvmfiles/*.jvm .
guide=$src/docs/vendor-guide.md
drive_c=$WINEPREFIX/drive_c
VENDOR_KEYS='JavaSoft|Eclipse Adoptium|Microsoft\JDK|Semeru|Azul Systems|BellSoft'

# The batch lines that remove every vendor key this test writes, in both
# views. The view is always chosen by reg's switch, never by a WOW6432Node
# path: a 32-bit regedit (what "wine regedit" starts where Wine runs 32-bit
# programs) files such a path under Wow6432Node\WOW6432Node, where no reader
# looks; and reg import ignores a .reg file's [-KEY] lines.
# Each reg start costs, so only the views written since the last removal
# (all of them at the first) are cleared.
written='32 64'
unregister_all() {
  local key bits
  local -a keys
  IFS='|' read -r -a keys <<< "$VENDOR_KEYS"
  for key in "${keys[@]}"; do
    for bits in $written; do
      printf 'reg delete "HKLM\\SOFTWARE\\%s" /f /reg:%s >nul 2>&1\r\n' "$key" "$bits"
    done
  done
}
# run_batch: the batch file on standard input, in one Wine start.
run_batch() {
  cat > "$work_unix/registry.bat"
  wine cmd /c "$work_win\\registry.bat" >/dev/null 2>&1
}
# Removes the vendor keys and the homes.
clean() {
  written='32 64'
  unregister_all | run_batch
  remove_homes
}
remove_homes() {
  rm -rf "$drive_c/Program Files/"{Java,'Eclipse Adoptium',Microsoft/jdk-*,Semeru,Zulu,'Amazon Corretto',BellSoft} \
         "$drive_c/Program Files (x86)/"{Java,'Eclipse Adoptium',Semeru,Zulu,'Amazon Corretto',BellSoft} \
         "$drive_c/mgtest-jvmfiles-homes"
}
trap clean EXIT
clean
wineserver -p 120 >/dev/null 2>&1

unix_of() {  # a C:\ path of the prefix as a Linux path
  local rest=${1#C:\\}
  rest=${rest%\\}
  printf '%s/%s' "$drive_c" "$(printf '%s' "$rest" | tr '\\' '/')"
}
# install WINDOWS-HOME SPEC-VERSION: a JVM home reporting that version.
install() {
  local home
  home=$(unix_of "$1")
  "$src/tests/jvmhome/make-jvmhome.sh" "$home" "$bridge" >/dev/null
  printf '%s' "$2" > "$home/mg-spec-version"
}
# register VIEW HOME KEY\VALUE...: the values (under HKLM\SOFTWARE, in the
# x86 or x64 view) hold HOME. With REPLACE=1 the vendor keys written before,
# in either view, go first.
register() {
  local view=$1 home=$2 bits=64
  shift 2
  [ "$view" = x86 ] && bits=32
  {
    echo REGEDIT4
    for hint in "$@"; do
      echo "[HKEY_LOCAL_MACHINE\\SOFTWARE\\${hint%\\*}]"
      printf '"%s"="%s"\n' "${hint##*\\}" "$(printf '%s' "$home" | sed 's/\\/\\\\/g')"
    done
  } > "$work_unix/add.reg"
  local removal=
  if [ "${REPLACE:-0}" = 1 ]; then removal=$(unregister_all); written=; fi
  {
    [ -z "$removal" ] || printf '%s\n' "$removal"
    printf 'reg import "%s\\add.reg" /reg:%s >nul 2>&1\r\n' "$work_win" "$bits"
  } | run_batch
  written="$written $bits"
}
# search JVM-FILE...: the SEARCH action with those files; output in $out.
search() {
  local jvms=
  for f in "$@"; do jvms="$jvms  $f
"; done
  printf 'LOGFILE: %s\\run.log\nVERIFY_CLASSPATH: """J:\\jars\\verify.jar"""\nVERIFY_CLASS_NAME: Verify\nJVM:\n%s/:\nACTION: SEARCH\n' \
    "$work_win" "$jvms" > in.tag
  rm -f run.log
  out=$(timeout $((300 * ${MG_TIME_FACTOR:-1})) wine mglauncher.exe -mg:silent -mg:log "$work_win\\run.log" -mg:in "$work_win\\in.tag" 2>/dev/null | tr -d '\r')
  printf '%s\n' "$out" | sed -n 3p | while read -r copy; do rm -f "$(winepath -u "$copy" 2>/dev/null)"; done
}
found() { printf '%s\n' "$out" | sed -n 2p; }
logged() { log_text run.log | grep -qF -- "$1"; }

# The distribution table: | name | x64/x86 | `key\value`, ... | `folder` | `file`, ... |
rows=$(awk '/^\| Distribution \| Installer \| Registry values/ {on = 1; getline; next} on && /^\|/ {print; next} on {exit}' "$guide")
[ "$(printf '%s\n' "$rows" | grep -c .)" -ge 40 ] || fail "the guide's distribution table has too few rows: [$rows]"
while IFS='|' read -r _ name view values folder files _; do
  name=$(echo $name) view=$(echo $view)
  folder=$(printf '%s' "$folder" | sed 's/^ *`//; s/` *$//')
  mapfile -t hints < <(printf '%s' "$values" | grep -o '`[^`]*`' | tr -d '`')
  mapfile -t jvms < <(printf '%s' "$files" | grep -o '`[^`]*`' | tr -d '`')
  version=$(printf '%s' "${jvms[0]}" | sed -n 's/^java\([0-9]*\)\.jvm$/\1/p')
  [ "$version" = 8 ] && version=1.8
  [ -n "$version" ] && [ ${#hints[@]} -gt 0 ] || { fail "$name $view: unreadable row"; continue; }
  remove_homes
  install "$folder" "$version"
  REPLACE=1 register "$view" "$folder" "${hints[@]}"
  for jvm in "${jvms[@]}"; do
    search "$jvm"
    if [ "$(found)" != "$folder" ]; then
      fail "$name $view: $jvm found [$out], not $folder; log: $(log_text run.log | grep -v '^ \|^$' | tail -25)"
    elif ! log_text run.log | grep -B30 -xF "Found matching JVM at $folder" | grep -q "^Checking JVM at .* which was resolved from platform hint HKEY_LOCAL_MACHINE"; then
      fail "$name $view: $jvm did not say which platform hint found it: $(log_text run.log)"
    fi
  done
done <<< "$rows"
clean

# Two updates of one distribution: the newer is found, though the older is
# registered too and its folder comes first in the listing.
install 'C:\Program Files\Java\jdk-17.0.9' 17
install 'C:\Program Files\Java\jdk-17.0.12' 17
register x64 'C:\Program Files\Java\jdk-17.0.9' 'JavaSoft\JDK\17.0.9\JavaHome'
register x64 'C:\Program Files\Java\jdk-17.0.12' 'JavaSoft\JDK\17.0.12\JavaHome'
search java17.jvm
[ "$(found)" = 'C:\Program Files\Java\jdk-17.0.12' ] || fail "newest update: found [$out]; log: $(log_text run.log)"
# The same by folders alone.
clean
install 'C:\Program Files\Java\jdk-17.0.9' 17
install 'C:\Program Files\Java\jdk-17.0.12' 17
search java17.jvm
[ "$(found)" = 'C:\Program Files\Java\jdk-17.0.12' ] || fail "newest update by folder: found [$out]; log: $(log_text run.log)"
logged 'Checking path hint C:\Program Files\Java\jdk-17.0.12' || fail "newest update by folder: no path hint line: $(log_text run.log)"
clean

# A range: 11 comes first, runs, and is refused with its reason; 21 is found.
install 'C:\mgtest-jvmfiles-homes\jdk11' 11
install 'C:\mgtest-jvmfiles-homes\jdk21' 21
register x64 'C:\mgtest-jvmfiles-homes\jdk11' 'Marrowgate Test\Eleven\JavaHome'
register x64 'C:\mgtest-jvmfiles-homes\jdk21' 'Marrowgate Test\TwentyOne\JavaHome'
printf 'DESC: Java 17 or newer\nJVM_EXE: bin\\java.exe\nJVM_PROPERTIES:\n  java.specification.version>=17\n  java.specification.version<22\n/:\nPLATFORM_HINT:\n  HKEY_LOCAL_MACHINE\\SOFTWARE\\Marrowgate Test\\Eleven\\JavaHome\n  HKEY_LOCAL_MACHINE\\SOFTWARE\\Marrowgate Test\\TwentyOne\\JavaHome\n/:\nCLASSPATH: "-classpath "\nCLASSPATH_SEPARATOR: ;\n' > range.jvm
search range.jvm
[ "$(found)" = 'C:\mgtest-jvmfiles-homes\jdk21' ] || fail "range: found [$out]; log: $(log_text run.log)"
log_text run.log | grep -q '^Executing launch script command: C:\\mgtest-jvmfiles-homes\\jdk11\\bin\\java.exe ' ||
  fail "range: 11 was not run: $(log_text run.log)"
logged 'Rejected JVM at C:\mgtest-jvmfiles-homes\jdk11: java.specification.version is 11, wanted >=17' ||
  fail "range: no reason for 11: $(log_text run.log)"
wine reg delete 'HKLM\Software\Marrowgate Test' /f /reg:64 >/dev/null 2>&1

# A JDK 25 that JAVA_HOME names and files for 21 and 17: refused by both,
# each with its reason, and the failed search lists what it tried.
install 'C:\Program Files\Java\jdk-25.0.1' 25
JAVA_HOME='C:\Program Files\Java\jdk-25.0.1' search java21.jvm java17.jvm
[ "$out" = 0 ] || fail "25 for 21 and 17: output [$out]"
logged 'Rejected JVM at C:\Program Files\Java\jdk-25.0.1: java.specification.version is 25, wanted 21' ||
  fail "25 for 21: no reason: $(log_text run.log)"
logged 'Rejected JVM at C:\Program Files\Java\jdk-25.0.1: java.specification.version is 25, wanted 17' ||
  fail "25 for 17: no reason: $(log_text run.log)"
summary=$(log_text run.log | grep '^Candidates tried: ')
case $summary in
  *'C:\Program Files\Java\jdk-25.0.1 (Java 21 runtime: java.specification.version is 25, wanted 21)'*'C:\Program Files\Java\jdk-25.0.1 (Java 17 runtime: java.specification.version is 25, wanted 17)'*) ;;
  *) fail "no summary of the failed search: [$summary] $(log_text run.log)" ;;
esac
[ "$(log_text run.log | grep -A1 '^Candidates tried: ' | tail -1)" = 'No matching JVM was found.' ] ||
  fail "the summary is not the search's last line: $(log_text run.log)"
clean

# Only JAVA_HOME names the JVM, in a folder no hint knows.
install 'C:\mgtest-jvmfiles-homes\tools\my java' 17
JAVA_HOME='C:\mgtest-jvmfiles-homes\tools\my java\' search java17.jvm
[ "$(found)" = 'C:\mgtest-jvmfiles-homes\tools\my java\' ] || fail "JAVA_HOME: found [$out]; log: $(log_text run.log)"
logged 'which was named by environment variable JAVA_HOME' || fail "JAVA_HOME: not said: $(log_text run.log)"

# A broken java.exe first on the PATH is refused with its reason; the next
# one on the PATH is found.
install 'C:\mgtest-jvmfiles-homes\broken' 17
touch "$drive_c/mgtest-jvmfiles-homes/broken/mg-broken"
install 'C:\mgtest-jvmfiles-homes\onpath' 17
WINEPATH='C:\mgtest-jvmfiles-homes\broken\bin;C:\mgtest-jvmfiles-homes\onpath\bin' search java17.jvm
[ "$(found)" = 'C:\mgtest-jvmfiles-homes\onpath' ] || fail "PATH: found [$out]; log: $(log_text run.log)"
logged 'Rejected JVM at C:\mgtest-jvmfiles-homes\broken: the verify run printed nothing' ||
  fail "PATH: broken java.exe not refused with its reason: $(log_text run.log)"

e2e_finish e2e.jvmfiles
