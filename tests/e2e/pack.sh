#!/usr/bin/env bash
# One end-to-end case of the launcher file and the driver under Wine.
# Usage: pack.sh CASE MGLAUNCHER MGPACK RUNNER SOURCE_DIR [HOST_MGPACK]   (WINEPREFIX set)
set -u
case_name=$1 launcher=$2 mgpack=$3 runner=$4 src=$5 host_mgpack=${6:-}
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Files the programs read and write live on the prefix's C: drive.
work_unix=$WINEPREFIX/drive_c/mgtest-pack-$case_name
work_win='C:\mgtest-pack-'$case_name
rm -rf "$work_unix" && mkdir -p "$work_unix" && cd "$work_unix" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cp "$launcher" mglauncher.exe
cp "$src"/docs/examples/pack/* .
pack() { wine "$mgpack" "$@" 2>&1 | tr -d '\r'; }
# The launcher of docs/mgpack.md's example.
pack build --stub mglauncher.exe -o sample.exe --file instructions instructions.txt \
  --file launch-script launch.txt --file jvm-file jre.jvm --id 10 \
  --file application-archive app.jar --name sample.jar > pack.out || fail "mgpack: $(cat pack.out)"
# A launcher whose program is one unknown command: its run is seen in the
# log as the interpreter's error, whatever the other layers can do.
printf 'INSTRUCTIONS:\n  E2E_MARKER\n/:\n' > marker.txt
pack build --no-check --stub mglauncher.exe -o marker.exe --file instructions marker.txt > pack.out || fail "mgpack: $(cat pack.out)"
MARK='ERROR: Error in instructions. Invalid command (E2E_MARKER).  Line number (1)'
program_ran() { log_text "$1" | grep -qxF "$MARK"; }

# run EXE TEXT: the command line "EXE" TEXT; the runner's report in $out
# (one "message: " line per message box), the exit code in $rc.
run() {
  out=$(wine "$runner" "$1" raw "$2" 2>&1 | tr -d '\r')
  rc=$(printf '%s\n' "$out" | sed -n 's/^exit code: //p')
  [ "$rc" = 0 ] || fail "[$2]: exit code '$rc', output: $out"
}
log_text() { tr -d '\r' < "$1" 2>/dev/null; }
messages() { printf '%s\n' "$out" | sed -n 's/^message: //p'; }
records() { pack list --records "$1"; }
expect_log() {  # FILE EXPECTED
  local got
  got=$(log_text "$1")
  [ "$got" = "$2" ] || fail "log $1:
--- got
$got
--- expected
$2"
}
SEP=------------------

case $case_name in
records)
  # The log holds the five-line record of every entry, byte for byte as
  # mgpack reads them from the same file.
  run sample.exe "-mg:silent -mg:log $work_win\\run.log"
  want=$(printf '%s\n%s' "$SEP" "$(records sample.exe)")
  got=$(log_text run.log | head -n $((1 + 5 * 4)))
  [ "$got" = "$want" ] || fail "records differ:
$got
--- mgpack list --records:
$want"
  first=$(printf '%s\n' "$SEP" 'file type: 0' '  file id: 0' '  length: 120' '  offset: '"$(stat -c %s mglauncher.exe)" \
          '  file name: instructions.txt')
  [ "$(log_text run.log | head -6)" = "$first" ] || fail "first record: $(log_text run.log | head -6)"
  [ -z "$(messages)" ] || fail "silent run showed: $(messages)"
  ;;
no-index)
  # A launcher without a file index runs nothing and says nothing.
  run mglauncher.exe "-mg:log $work_win\\run.log"
  [ ! -e run.log ] || fail "something was logged: $(log_text run.log)"
  [ -z "$(messages)" ] || fail "a message was shown: $(messages)"
  ;;
index-errors)
  size=$(stat -c %s sample.exe)
  u32() { od -An -tu4 --endian=big -j "$2" -N4 "$1" | tr -d ' '; }
  put() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }
  index=$(u32 sample.exe $((size - 8)))
  name=sample.jar  # the last record's name
  variant() { cp sample.exe "$1.exe"; }
  variant offset-past-end;  put offset-past-end.exe $((size - 8)) '\x00\xff\xff\xf0'
  variant offset-2gb;       put offset-2gb.exe $((size - 8)) '\x80\x00\x00\x00'
  variant type-8;           put type-8.exe $((index + 4)) '\x08'
  variant count-max;        put count-max.exe "$index" '\x7f\xff\xff\xff'
  variant count-plus-one;   put count-plus-one.exe "$index" '\x00\x00\x00\x05'
  variant name-length-max;  put name-length-max.exe $((size - 8 - ${#name} - 2)) '\xff\xff'
  # The last record (sample.jar) loses its offset, name length and name: its
  # offset is then read from the trailer's index offset and its name length
  # from the first half of the trailer's magic, so the name runs past the end
  # of the file whatever the launcher's size.
  head -c $((size - 8 - 4 - 2 - ${#name})) sample.exe > truncated-record.exe
  tail -c 8 sample.exe >> truncated-record.exe
  expected() {
    case $1 in
      offset-past-end) echo "Unable to read the file count." ;;
      offset-2gb) echo "Invalid file index offset." ;;
      type-8) echo "Invalid file type in file index." ;;
      name-length-max | truncated-record) echo "Unable to load the string value." ;;
      *) pack list "$1.exe" | sed -n "s/^mgpack: $1.exe: //p" ;;
    esac
  }
  for v in offset-past-end offset-2gb type-8 count-max count-plus-one name-length-max truncated-record; do
    rm -f run.log
    run "$v.exe" "-mg:silent -mg:log $work_win\\run.log"
    want=$(expected "$v")
    [ -n "$want" ] || fail "$v: mgpack found no error: $(pack list "$v.exe")"
    # mgpack list reports the same reason the launcher logs.
    listed=$(pack list "$v.exe" | sed -n "s/^mgpack: $v.exe: //p")
    [ "$listed" = "$want" ] || fail "$v: mgpack list says '$listed', expected '$want'"
    log_text run.log | grep -qxF "ERROR: Unable to load the launcher file index. $want" ||
      fail "$v: log lacks the error '$want': $(log_text run.log)"
    log_text run.log | grep -q 'not available\|Error in instructions' && fail "$v: instructions ran after the index error"
  done
  ;;
log-missing-value)
  # -mg:log as the last argument shows message 6 and the run goes on: the
  # embedded program still runs and the earlier log keeps receiving.
  run marker.exe "-mg:log $work_win\\run.log -mg:log"
  [ "$(messages)" = "$(printf '%s\n%s' "A log file name must be specified after the -log option on the command line." \
                       "${MARK#ERROR: }")" ] || fail "messages: $(messages)"
  program_ran run.log || fail "the program did not run: $(log_text run.log)"
  # Silenced, the same run shows nothing.
  rm -f run.log
  run marker.exe "-mg:silent -mg:log $work_win\\run.log -mg:log"
  [ -z "$(messages)" ] || fail "silent run showed: $(messages)"
  program_ran run.log || fail "silent: the program did not run"
  ;;
version)
  run marker.exe "-mg:log $work_win\\run.log -mg:version"
  [ "$(messages)" = "1.56" ] || fail "messages: $(messages)"
  [ ! -e run.log ] || fail "-mg:version ran something: $(log_text run.log)"
  ;;
input-quoted)
  # A quoted value opens the unquoted path but is logged, and names the
  # file in errors, with its quotes.
  printf 'LOGFILE: %s\nACTION: RUN_INSTRUCTIONS\n' "$work_win\\run.log" > in.tag
  run sample.exe "-mg:silent -mg:log $work_win\\run.log -mg:in \"\\\"$work_win\\in.tag\\\"\""
  log_text run.log | head -2 | tail -1 | grep -qxF "Loading input file \"$work_win\\in.tag\"" ||
    fail "no quoted input-file line: $(log_text run.log)"
  log_text run.log | grep -qx '  file name: instructions.txt' || fail "index not loaded: $(log_text run.log)"
  printf 'ACTION: RUN_INSTRUCTIONS\nbroken line\n' > bad.tag
  run sample.exe "-mg:in \"\\\"$work_win\\bad.tag\\\"\""
  want="Syntax error in \"$work_win\\bad.tag\" at line 2 ==> Missing colon at the end of the tag name."
  [ "$(messages)" = "$(printf 'Could not load the input file.%s\n%s' "$want" "$want")" ] || fail "messages: $(messages)"
  ;;
input-without-logfile)
  # An input file without LOGFILE ends the log after its own line.
  printf 'ACTION: RUN_INSTRUCTIONS\n' > in.tag
  run sample.exe "-mg:silent -mg:log $work_win\\run.log -mg:in $work_win\\in.tag"
  expect_log run.log "$(printf '%s\nLoading input file %s' "$SEP" "$work_win\\in.tag")"
  ;;
input-action)
  # A SEARCH action replaces the run of the embedded program.
  printf 'LOGFILE: %s\nACTION: SEARCH\n' "$work_win\\run.log" > in.tag
  run marker.exe "-mg:silent -mg:log $work_win\\run.log -mg:in $work_win\\in.tag"
  log_text run.log | grep -qx 'WARNING: The SEARCH action is not available in this build.\|Finding a JVM' ||
    fail "no search: $(log_text run.log)"
  program_ran run.log && fail "the program ran after SEARCH"
  # An unknown action: shown, then reported again by the top level.
  printf 'ACTION: search\n' > bad.tag
  run sample.exe "-mg:in $work_win\\bad.tag"
  [ "$(messages)" = "$(printf 'Invalid action in input file: search\nInvalid action in input file: search')" ] ||
    fail "messages: $(messages)"
  ;;
option-order)
  # Options apply in order: the index is read by -mg:in before -mg:log names
  # the log, so only what happens afterwards is logged.
  printf 'ACTION: RUN_INSTRUCTIONS\n' > in.tag
  run marker.exe "-mg:silent -mg:in $work_win\\in.tag -mg:log $work_win\\run.log"
  expect_log run.log "$(printf '%s\n%s' "$SEP" "$MARK")"
  # -mg:in without a value shows message 11 and the program does not run.
  rm -f run.log
  run marker.exe "-mg:log $work_win\\run.log -mg:in"
  [ "$(messages)" = "An input file name must follow the '-in' command line option." ] || fail "messages: $(messages)"
  program_ran run.log && fail "the program ran after a bare -mg:in"
  ;;
tempdir-missing)
  # A -mg:tempdir that names no directory is ignored: the run goes on.
  run marker.exe "-mg:silent -mg:tempdir $work_win\\missing -mg:log $work_win\\run.log"
  program_ran run.log || fail "run did not go on: $(log_text run.log)"
  [ ! -e missing ] || fail "the missing directory was created"
  ;;
extract)
  # -mg:extract reads the index without contents and runs nothing.
  mkdir out && cp sample.exe out/ && cd out
  run sample.exe "-mg:silent -mg:log $work_win\\run.log -mg:extract"
  cd ..
  [ -e out/input.tag ] || fail "no input.tag written: $(ls out) $(log_text run.log)"
  log_text run.log | grep -q 'not available\|Error in instructions' && fail "the program ran after -mg:extract"
  [ "$(log_text run.log | grep -c '^file type: ')" = 4 ] || fail "index not logged: $(log_text run.log)"
  ;;
check)
  # The guide's sample on the real launcher checks clean, and mgpack.exe
  # reports what the host's mgpack reports. No launcher runs: it is fast.
  cp "$src"/examples/sample/{instructions.txt,launch.txt,sample.jvm} .
  printf 'PK\3\4 verify' > verify.jar
  printf 'PK\3\4 sample' > sample.jar
  printf 'MZ setup' > setup.exe
  files() {  # PROGRAM: the guide's files with that instructions program
    printf '%s\n' --file instructions "$1" --file launch-script launch.txt --file jvm-file sample.jvm \
      --file verify-archive verify.jar --file jvm-installer setup.exe --file application-archive sample.jar
  }
  mapfile -t guide < <(files instructions.txt)
  "$host_mgpack" build --stub mglauncher.exe -o guide.exe "${guide[@]}" > build.out 2>&1 || fail "build: $(cat build.out)"
  "$host_mgpack" check guide.exe > host.out || fail "check of the guide's sample: exit $?: $(cat host.out)"
  grep -q ': error: ' host.out && fail "the guide's sample has errors: $(cat host.out)"
  [ "$(tail -1 host.out)" = "guide.exe: 0 errors, 0 warnings" ] || fail "summary: $(cat host.out)"
  pack check guide.exe > windows.out
  diff host.out windows.out > /dev/null || fail "mgpack.exe's check differs: $(diff host.out windows.out)"
  # A mistake: the build refuses it and writes nothing; packed without the
  # check, the check names the entry and its line, by both tools.
  sed 's/^  LAUNCH @S2@ 0$/  Launch @S2@ 0/' instructions.txt > mistake.txt
  mapfile -t mistake < <(files mistake.txt)
  want='mistake.txt:6: error: Invalid command (Launch). Commands are upper case: LAUNCH.'
  "$host_mgpack" build --stub mglauncher.exe -o mistake.exe "${mistake[@]}" > build.out 2>&1
  status=$?
  [ $status = 2 ] || fail "build of a mistake: exit $status: $(cat build.out)"
  [ ! -e mistake.exe ] || fail "a build with an error wrote its output"
  grep -qxF "$want" build.out || fail "build: $(cat build.out)"
  "$host_mgpack" build --no-check --stub mglauncher.exe -o mistake.exe "${mistake[@]}" > /dev/null || fail "--no-check"
  "$host_mgpack" check mistake.exe > host.out
  status=$?
  [ $status = 2 ] || fail "check of a mistake: exit $status"
  grep -qxF "$want" host.out || fail "check: $(cat host.out)"
  pack check mistake.exe | grep -qxF "$want" || fail "mgpack.exe check: $(pack check mistake.exe)"
  # Only our launcher is a stub.
  "$host_mgpack" build --stub sample.jar -o jar.exe "${guide[@]}" > build.out 2>&1
  grep -qxF 'sample.jar: error: not a Marrowgate launcher (it is a jar or zip file); the stub must be mglauncher.exe or mglauncher-console.exe' build.out ||
    fail "a jar stub: $(cat build.out)"
  [ ! -e jar.exe ] || fail "a jar stub was packed"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac

[ $failures -eq 0 ] && echo "e2e.pack.$case_name passed"
exit $((failures > 0))
