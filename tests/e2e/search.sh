#!/usr/bin/env bash
# One end-to-end case of the JVM search under Wine.
# Usage: search.sh CASE MGLAUNCHER BRIDGE SOURCE_DIR [CANCEL_JAVA]   (WINEPREFIX set)
#   hints  the build's prefix: -mg:javahome, registry and path hints, the
#          ready JVM files of jvm/jvmfiles against matching registry entries
#   walk   a prefix of its own whose only fixed drive is K:, so the disk walk
#          stays inside the test's folder: SEARCH_ALL and the exhaustive FIND,
#          skipped folders, a home offered twice, and a cancel (CANCEL_JAVA:
#          cancel_java.exe, a java.exe that closes the progress dialog)
#   views  the build's prefix: one JDK version registered in both registry
#          views, each with a home of its own bitness; which home the ready
#          file (PREFER_64_BIT), a file without that tag and a file that
#          requires a 32-bit JVM each find
# Every run passes -mg:silent first: a message box would wait for ever.
set -u
case_name=$1 launcher=$2 bridge=$3 src=$4 cancel_java=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
VERIFY_SETTING='VERIFY_CLASSPATH: """J:\jars\verify.jar"""
VERIFY_CLASS_NAME: Verify'
JVM_COMMON='CLASSPATH: "-classpath "
CLASSPATH_SEPARATOR: ;'

# run INPUT-TEXT [OPTION...]: the launcher's standard output in $out (CRs kept
# out of it only to compare lines; the lines must end in a bare LF).
run() {
  local input=$1
  shift
  printf '%s' "$input" > in.tag
  rm -f run.log
  timeout $((300 * ${MG_TIME_FACTOR:-1})) wine mglauncher.exe -mg:silent "$@" -mg:log "$work_win\\run.log" -mg:in "$work_win\\in.tag" \
    > out.raw 2>/dev/null
  local rc=$?
  [ $rc = 0 ] || fail "launcher exit code $rc"
  grep -q $'\r' out.raw && fail "output has CR: $(od -c out.raw | head -3)"
  out=$(cat out.raw)
}
line() { printf '%s\n' "$out" | sed -n "${1}p"; }
unix_path() { winepath -u "$1" 2>/dev/null; }
reg() { wine reg "$@" >/dev/null 2>&1; }

case $case_name in
hints)
  work_unix=$WINEPREFIX/drive_c/mgtest-search-hints
  work_win='C:\mgtest-search-hints'
  rm -rf "$work_unix" && mkdir -p "$work_unix" && cd "$work_unix" || exit 1
  cp "$launcher" mglauncher.exe
  K='HKEY_LOCAL_MACHINE\Software\MarrowgateTest'
  reg delete 'HKLM\Software\MarrowgateTest' /f
  reg delete 'HKLM\Software\MarrowgateTest' /f /reg:64
  trap "wine reg delete 'HKLM\\Software\\MarrowgateTest' /f >/dev/null 2>&1; wine reg delete 'HKLM\\Software\\MarrowgateTest' /f /reg:64 >/dev/null 2>&1" EXIT
  reg add 'HKLM\Software\MarrowgateTest\Named' /v JavaHome /d 'J:\jdk17' /f
  reg add 'HKLM\Software\MarrowgateTest\Default\JavaHome' /ve /d 'J:\jdk17' /f
  reg add 'HKLM\Software\MarrowgateTest\Wide' /v JavaHome /d 'J:\jdk17' /f /reg:64
  reg add 'HKLM\Software\MarrowgateTest\Nojava' /v JavaHome /d 'J:\nojava' /f

  search_with() {  # JVM-FILE-EXTRA-LINES [OPTION...]
    local extra=$1
    shift
    printf 'DESC: Test JVM\nJVM_EXE: bin\\java.exe\n%s\nJVM_PROPERTIES: java.version=17...\n%s\n' \
      "$JVM_COMMON" "$extra" > test.jvm
    run "LOGFILE: $work_win\\run.log
$VERIFY_SETTING
JVM: $work_win\\test.jvm
ACTION: SEARCH
" "$@"
  }
  expect_found() {  # WHAT
    [ "$(line 1)" = 1 ] && [ "$(line 2)" = 'J:\jdk17' ] || { fail "$1: output [$out] log: $(log_text run.log)"; return; }
    local copy
    copy=$(unix_path "$(line 3)")
    [ -n "$copy" ] && [ -f "$copy" ] || { fail "$1: copy $(line 3) gone after exit"; return; }
    log_text "$copy" | grep -q '^JVM_HOME: *J:.jdk17$' || fail "$1: copy lacks JVM_HOME: $(log_text "$copy")"
    log_text "$copy" | grep -q "^JVM_FILE: *$(line 3 | sed 's/\\/\\\\/g')$" || fail "$1: copy lacks JVM_FILE: $(log_text "$copy")"
    rm -f "$copy"
  }

  # The user's home: no hint tried, no disk walked.
  search_with "PLATFORM_HINT: $K\\Named\\JavaHome
PATH_HINT: nowhere
SEARCH_ALL: 1" -mg:javahome 'J:\jdk17'
  expect_found javahome
  log_text run.log | grep -qx 'Checking user specified Java home directory => J:\\jdk17' || fail "javahome not logged"
  log_text run.log | grep -q 'Initiating JVM search\|exhaustive' && fail "javahome: hints or walk tried: $(log_text run.log)"

  # Platform hints with and without the leading backslash.
  search_with "PLATFORM_HINT: \\$K\\Named\\JavaHome"
  expect_found leading-backslash
  search_with "PLATFORM_HINT: $K\\Named\\JavaHome"
  expect_found no-leading-backslash
  log_text run.log | grep -qF "Checking JVM at J:\\jdk17 which was resolved from platform hint $K\\Named\\JavaHome" ||
    fail "hint not logged: $(log_text run.log)"
  # The key's default value when the named value is missing.
  search_with "PLATFORM_HINT: $K\\Default\\JavaHome"
  expect_found default-value
  # A value written only to the 64-bit view.
  search_with "PLATFORM_HINT: $K\\Wide\\JavaHome"
  expect_found wide-view
  # A missing key is a warning and the search goes on; a home without java is
  # tried and rejected.
  search_with "PLATFORM_HINT:
  $K\\Missing\\JavaHome
  $K\\Nojava\\JavaHome
  $K\\Named\\JavaHome
/:"
  expect_found missing-key
  log_text run.log | grep -q '^WARNING: Invalid platform hint: ' || fail "missing key not logged: $(log_text run.log)"
  log_text run.log | grep -qx 'J:\\nojava\\bin\\java.exe does not exist' || fail "nojava not tried"
  # An unknown hive ends the search with the hive message.
  search_with "PLATFORM_HINT:
  hkey_local_machine\\Software\\X\\JavaHome
  $K\\Named\\JavaHome
/:"
  [ -z "$out" ] || fail "unknown hive: output [$out]"
  log_text run.log | grep -qxF "ERROR: No matching JVM was found. Invalid hive (hkey_local_machine) specified in platform hint (hkey_local_machine\\Software\\X\\JavaHome)." ||
    fail "unknown hive: $(log_text run.log)"
  # Path hints on every fixed drive in order; J: holds the home.
  search_with 'PATH_HINT: \jdk17'
  expect_found path-hint
  drives=$(log_text run.log | sed -n 's/^Checking path hint \(.\):\\jdk17$/\1/p' | tr -d '\n')
  case "$drives" in *J) ;; *) fail "path hint drives [$drives]" ;; esac
  [ "$(printf '%s' "$drives" | fold -w1 | sort | tr -d '\n')" = "$drives" ] || fail "drives out of order [$drives]"
  # Nothing acceptable: a single 0.
  search_with 'PATH_HINT: nowhere'
  [ "$out" = 0 ] || fail "no match: output [$out]"

  # The ready JVM files against the registry entry their JVMs write, in the
  # 64-bit view; the bridge's JVM is 17, so each file's required version is
  # rewritten to 17 for the run.
  for jvmfile in "$src"/jvm/jvmfiles/*.jvm; do
    name=$(basename "$jvmfile")
    hint=$(tr -d '\r' < "$jvmfile" | awk '/^PLATFORM_HINT:/ {getline; sub(/^ +/, ""); print; exit}')
    [ -n "$hint" ] || { fail "$name: no platform hint"; continue; }
    key=${hint%\\*} value=${hint##*\\}
    key=HKLM${key#HKEY_LOCAL_MACHINE}
    reg add "$key" /v "$value" /d 'J:\jdk17' /f /reg:64
    tr -d '\r' < "$jvmfile" | awk '/^JVM_PROPERTIES:/ {print "JVM_PROPERTIES: java.specification.version=17"; skip=1; next}
      skip && /^\/:/ {skip=0; next} !skip' > ready.jvm
    run "LOGFILE: $work_win\\run.log
$VERIFY_SETTING
JVM: $work_win\\ready.jvm
ACTION: SEARCH
"
    reg delete "$key" /v "$value" /f /reg:64
    [ "$(line 1)" = 1 ] && [ "$(line 2)" = 'J:\jdk17' ] || fail "$name: output [$out] log: $(log_text run.log)"
    [ -n "$(line 3)" ] && rm -f "$(unix_path "$(line 3)")"
  done
  ;;
walk)
  # A prefix of its own whose only fixed drive is K:, this case's folder, so
  # the walk stays inside it. Wine takes a drive's type from
  # HKLM\Software\Wine\Drives of the 64-bit view when the prefix's services
  # start: C: is typed a network drive and Z: (/) a CD-ROM, neither walked.
  [ -f "$cancel_java" ] || { fail "the walk case needs CANCEL_JAVA"; e2e_finish "e2e.search.$case_name"; }
  base=$(cd "$(dirname "$WINEPREFIX")" && pwd)/search-walk
  verify_jar=$(dirname "$WINEPREFIX")/jvmhomes/jars/verify.jar
  export WINEPREFIX=$base/prefix
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    timeout $((300 * ${MG_TIME_FACTOR:-1})) wineboot -i >/dev/null 2>&1
    timeout $((300 * ${MG_TIME_FACTOR:-1})) wineserver -w
  fi
  disk=$base/disk
  rm -rf "$disk" && mkdir -p "$disk/work" "$disk/apps/one" "$disk/RECYCLER/x" "$disk/tmp" "$disk/jars" "$disk/cancel/bin"
  for link in "$WINEPREFIX"/dosdevices/?:; do
    case ${link##*/} in c:|z:) ;; *) rm -f "$link" ;; esac
  done
  ln -sfn "$disk" "$WINEPREFIX/dosdevices/k:"
  for view in 32 64; do
    reg add 'HKLM\Software\Wine\Drives' /v 'c:' /d network /f /reg:$view
    reg add 'HKLM\Software\Wine\Drives' /v 'z:' /d cdrom /f /reg:$view
    reg add 'HKLM\Software\Wine\Drives' /v 'k:' /d hd /f /reg:$view
  done
  # The types are read when the services start: start them again.
  wineserver -k
  timeout $((300 * ${MG_TIME_FACTOR:-1})) wineserver -w
  work_unix=$disk/work work_win='K:\work'
  cd "$work_unix" || exit 1
  cp "$launcher" mglauncher.exe
  cp "$verify_jar" "$disk/jars/verify.jar"
  cp "$cancel_java" "$disk/cancel/bin/cancel.exe"
  VERIFY_SETTING='VERIFY_CLASSPATH: """K:\jars\verify.jar"""
VERIFY_CLASS_NAME: Verify'
  "$src/tests/jvmhome/make-jvmhome.sh" "$disk/apps/one/jdk" "$bridge" >/dev/null
  "$src/tests/jvmhome/make-jvmhome.sh" "$disk/jdk-b" "$bridge" >/dev/null
  "$src/tests/jvmhome/make-jvmhome.sh" "$disk/RECYCLER/x/jdk" "$bridge" >/dev/null
  "$src/tests/jvmhome/make-jvmhome.sh" "$disk/tmp/jdk" "$bridge" >/dev/null
  jvm_file() {  # NAME JVM_EXE SEARCH_ALL
    printf 'DESC: Walk JVM %s\nJVM_EXE: %s\n%s\nJVM_PROPERTIES: java.version=17...\nSEARCH_ALL: %s\n' \
      "$1" "$2" "$JVM_COMMON" "$3" > "$1"
  }
  jvm_file walk.jvm 'bin\java.exe' 1
  # Its executable name differs only in case: every bin\java.exe the walk
  # finds is offered once more, and the home is verified once all the same.
  jvm_file upper.jvm 'BIN\JAVA.EXE' 0
  jvm_file cancel.jvm 'bin\cancel.exe' 1
  walk_run() {  # ACTION JVM-FILE...
    local action=$1 jvms=
    shift
    for f in "$@"; do jvms="$jvms  $work_win\\$f
"; done
    run "LOGFILE: $work_win\\run.log
$VERIFY_SETTING
JVM:
$jvms/:
ACTION: $action
" -mg:tempdir 'K:\tmp'
  }
  verified() { log_text run.log | grep -c "^Verifying JVM at $(printf '%s' "$1" | sed 's/\\/\\\\/g')\$"; }

  # The prefix itself: the path hints are tried on K: alone.
  printf 'DESC: Hint JVM\nJVM_EXE: bin\\java.exe\n%s\nJVM_PROPERTIES: java.version=17...\nPATH_HINT: nowhere\n' \
    "$JVM_COMMON" > hint.jvm
  walk_run SEARCH hint.jvm
  [ "$out" = 0 ] || fail "hint search: output [$out]"
  drives=$(log_text run.log | sed -n 's/^Checking path hint \(.\):\\nowhere$/\1/p' | tr -d '\n')
  if [ "$drives" != K ]; then
    fail "fixed drives of the walk prefix are [$drives], not K alone: the walk would leave the test's folder"
    e2e_finish "e2e.search.$case_name"
  fi

  # SEARCH_ALL: both homes outside the skipped folders, each verified once.
  walk_run SEARCH_ALL walk.jvm upper.jvm
  [ "$(line 1)" = 2 ] || fail "SEARCH_ALL: output [$out] log: $(log_text run.log)"
  homes=$( (line 2; line 4) | sort | tr '\n' ' ')
  [ "$homes" = 'K:\apps\one\jdk K:\jdk-b ' ] || fail "SEARCH_ALL homes [$homes]"
  c1=$(unix_path "$(line 3)") c2=$(unix_path "$(line 5)")
  [ -f "$c1" ] && [ -f "$c2" ] || fail "SEARCH_ALL copies gone: [$(line 3)] [$(line 5)]"
  [ "$(line 3)" != "$(line 5)" ] || fail "one copy for both homes: $(line 3)"
  for pair in "2 $c1 3" "4 $c2 5"; do
    set -- $pair
    log_text "$2" | grep -q "^JVM_HOME: *$(line "$1" | sed 's/\\/\\\\/g')$" || fail "copy $3: $(log_text "$2")"
    log_text "$2" | grep -q "^JVM_FILE: *$(line "$3" | sed 's/\\/\\\\/g')$" || fail "copy $3 JVM_FILE: $(log_text "$2")"
  done
  for home in 'K:\apps\one\jdk' 'K:\jdk-b'; do
    [ "$(verified "$home\\bin\\java.exe")" = 1 ] || fail "$home verified $(verified "$home\\bin\\java.exe") times"
  done
  log_text run.log | grep -q 'RECYCLER\|K:\\tmp\\jdk' && fail "skipped folders walked: $(log_text run.log)"
  log_text run.log | grep -q '^Verifying JVM at [^K]' && fail "other drives walked: $(log_text run.log)"
  rm -f "$c1" "$c2"

  # FIND through SEARCH: the walk ends at the first verified home.
  walk_run SEARCH walk.jvm
  [ "$(line 1)" = 1 ] || fail "SEARCH walk: output [$out] log: $(log_text run.log)"
  case $(line 2) in 'K:\apps\one\jdk'|'K:\jdk-b') ;; *) fail "SEARCH walk home [$(line 2)]" ;; esac
  [ "$(log_text run.log | grep -c '^Verifying JVM at')" = 1 ] || fail "SEARCH walk verified more: $(log_text run.log)"
  log_text run.log | grep -q 'Processing unverified matches' && fail "SEARCH walk went on after the match"
  [ -n "$(line 3)" ] && rm -f "$(unix_path "$(line 3)")"

  # Cancel: the first JVM file's only candidate closes the progress dialog
  # while it is verified; the walk stops and the second file's homes found
  # so far are not tried, so nothing is found.
  walk_run SEARCH cancel.jvm walk.jvm
  [ "$out" = 0 ] || fail "cancelled SEARCH: output [$out] log: $(log_text run.log)"
  [ "$(verified 'K:\cancel\bin\cancel.exe')" = 1 ] || fail "cancel candidate not verified: $(log_text run.log)"
  log_text run.log | grep -q '^Verifying JVM at .*java\.exe' && fail "verified after the cancel: $(log_text run.log)"
  # The same, but the candidate's verify run never ends: the cancel stops it,
  # and the launcher ends (run's timeout is the hang bound).
  MG_CANCEL_JAVA_HANG=1 walk_run SEARCH cancel.jvm walk.jvm
  [ "$out" = 0 ] || fail "cancelled hung SEARCH: output [$out] log: $(log_text run.log)"
  log_text run.log | grep -q 'The verify run was stopped: the user cancelled\.$' ||
    fail "hung verify run not stopped: $(log_text run.log)"
  log_text run.log | grep -q '^Verifying JVM at .*java\.exe' && fail "verified after the cancel (hung): $(log_text run.log)"
  ;;
views)
  # The same JDK 17.0.9 installed by its x86 and its x64 installer: the same
  # key in the 32-bit and the 64-bit registry view, each naming its own home.
  # The launcher's own view is the one of its bitness (the 32-bit launcher,
  # or the 64-bit stand-in), the other the one it reads besides.
  # versioned-java.sh makes the x86 home report sun.arch.data.model 32.
  unset JAVA_HOME JDK_HOME JRE_HOME
  export MG_BRIDGE_JAVA=$src/tests/helpers/versioned-java.sh
  work_unix=$WINEPREFIX/drive_c/mgtest-search-views
  work_win='C:\mgtest-search-views'
  rm -rf "$work_unix" && mkdir -p "$work_unix" && cd "$work_unix" || exit 1
  cp "$launcher" mglauncher.exe
  # The PE header's machine field: i386 or x86-64.
  pe=$(od -An -tu4 -j60 -N4 mglauncher.exe | tr -d ' ')
  machine=$(od -An -tx2 -j$((pe + 4)) -N2 mglauncher.exe | tr -d ' ')
  case $machine in
    014c) own=32 other=64 ;;
    8664) own=64 other=32 ;;
    *) fail "unknown machine [$machine] of $launcher"; e2e_finish "e2e.search.$case_name" ;;
  esac
  home32="$work_win\\x86\\jdk-17.0.9" home64="$work_win\\x64\\jdk-17.0.9"
  "$src/tests/jvmhome/make-jvmhome.sh" "$work_unix/x86/jdk-17.0.9" "$bridge" >/dev/null
  "$src/tests/jvmhome/make-jvmhome.sh" "$work_unix/x64/jdk-17.0.9" "$bridge" >/dev/null
  printf 32 > "$work_unix/x86/jdk-17.0.9/mg-data-model"
  home_of() { [ "$1" = 32 ] && printf '%s' "$home32" || printf '%s' "$home64"; }
  unix_of() { [ "$1" = 32 ] && printf '%s' "$work_unix/x86/jdk-17.0.9" || printf '%s' "$work_unix/x64/jdk-17.0.9"; }
  key='HKLM\SOFTWARE\JavaSoft\JDK\17.0.9'
  hint='HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\JDK\17.0.9\JavaHome'
  unregister() { for view in 32 64; do reg delete "$key" /f /reg:$view; done; }
  trap unregister EXIT
  unregister
  reg add "$key" /v JavaHome /d "$home32" /f /reg:32
  reg add "$key" /v JavaHome /d "$home64" /f /reg:64

  # The ready file as it ships; the same without PREFER_64_BIT; the ready
  # file asking for a 32-bit JVM. The verify cache stays out of the made
  # files: a home that passed before must be run again once it is broken.
  cp "$src/jvm/jvmfiles/java17.jvm" ready.jvm
  grep -q '^PREFER_64_BIT: 1' ready.jvm || fail "java17.jvm does not prefer the 64-bit view"
  grep -v '^PREFER_64_BIT:\|^VERIFY_CACHE:' ready.jvm > untagged.jvm
  grep -v '^VERIFY_CACHE:' ready.jvm | sed 's/^JVM_PROPERTIES:$/&\n  sun.arch.data.model=32/' > wants32.jvm
  grep -qx '  sun.arch.data.model=32' wants32.jvm || fail "wants32.jvm lacks its requirement"
  views_search() {  # JVM-FILE
    run "LOGFILE: $work_win\\run.log
$VERIFY_SETTING
JVM: $work_win\\$1
ACTION: SEARCH
"
    [ -n "$(line 3)" ] && rm -f "$(unix_path "$(line 3)")"
  }
  # The registry homes tried, in order, and whether each names its view.
  tried() { log_text run.log | sed -n "s/^Checking JVM at \(.*\) which was resolved from platform hint .*\$/\1/p" | tr '\n' ' '; }
  view_logged() {  # BITS
    log_text run.log | grep -A1 -xF "Checking JVM at $(home_of "$1") which was resolved from platform hint $hint" |
      grep -qx "   in the $1-bit registry view"
  }
  expect() {  # WHAT FOUND-BITS TRIED-BITS...
    local what=$1 found=$2 want=
    shift 2
    for bits in "$@"; do want="$want$(home_of "$bits") "; done
    [ "$(line 1)" = 1 ] && [ "$(line 2)" = "$(home_of "$found")" ] ||
      fail "$what: found [$out], not the $found-bit home; log: $(log_text run.log)"
    [ "$(tried)" = "$want" ] || fail "$what: tried [$(tried)], not [$want]"
    for bits in "$@"; do view_logged "$bits" || fail "$what: the $bits-bit view not logged: $(log_text run.log)"; done
  }

  views_search ready.jvm
  expect "ready file" 64 64
  views_search untagged.jvm
  expect "without the tag" $own $own
  touch "$(unix_of $own)/mg-broken"
  views_search untagged.jvm
  expect "without the tag, own home broken" $other $own $other
  log_text run.log | grep -qF "Rejected JVM at $(home_of $own): " || fail "broken own home not refused: $(log_text run.log)"
  rm -f "$(unix_of $own)/mg-broken"
  views_search wants32.jvm
  expect "wants a 32-bit JVM" 32 64 32
  log_text run.log | grep -qxF "Rejected JVM at $home64: sun.arch.data.model is 64, wanted 32" ||
    fail "the 64-bit home not refused for its data model: $(log_text run.log)"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac

e2e_finish "e2e.search.$case_name"
