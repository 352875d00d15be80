#!/usr/bin/env bash
# One end-to-end case of SINGLE_INSTANCE or %MAXHEAP% under Wine: launchers
# packed by mgpack.exe from the real mglauncher.exe.
# Usage: instance.sh CASE MGLAUNCHER MGLAUNCHER-CONSOLE MGPACK RUNNER APP PROBE   (WINEPREFIX set)
#   RUNNER  foundation_runner.exe: answers message boxes, reports the exit code
#   APP     instance_app.exe, the application with a window (its "JVM")
#   PROBE   foreground_probe.exe: the foreground window's title
# The heap cases use the jvmhome fixture: J:\jdk17 (java.exe bridge) and
# J:\jars\printargs.jar.
set -u
case_name=$1 launcher=$2 console=$3 mgpack=$4 runner=$5 app=$6 probe=$7
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
e2e_workdir "mgtest-instance-$case_name"
cp "$launcher" mglauncher.exe
cp "$console" mglauncher-console.exe
cp "$app" instance_app.exe
cp "$probe" foreground_probe.exe
mkdir tmp1 tmp2 tmp3

export MG_INSTANCE_LOG="$work_win\\starts.txt" MG_INSTANCE_STOP="$work_win\\stop"
pack() { wine "$mgpack" "$@" 2>&1 | tr -d '\r'; }
starts() { log_text starts.txt | grep -c '^started ' ; }
started() { [ "$(starts)" -ge "$1" ]; }
logged() { log_text "$1" | grep -qxF -- "$2"; }
# run NAME LOG TEMP: a launcher of the work folder in the background, its
# host process id in $!
run() { wine "$work_win\\$1" -mg:silent -mg:log "$work_win\\$2" -mg:tempdir "$work_win\\$3" > /dev/null 2>&1 & }
# runner NAME LOG TEMP: the same, waited for, through foundation_runner
runner() {
  out=$(timeout 120 wine "$runner" "$work_win\\$1" raw \
        "-mg:silent -mg:log $work_win\\$2 -mg:tempdir $work_win\\$3" 2>&1 | tr -d '\r')
}
stop_app() { touch stop; }
running_text='Single instance e2e.instance is already running: its window was brought to the front.'

# The application is instance_app.exe, started as the JVM file's executable.
printf 'DESC: Instance app\nJVM_HOME: %s\nJVM_EXE: instance_app.exe\n' "$work_win" > app.jvm
printf 'DESC: Instance test\nCOMMAND: """@JVM_HOME@\\@JVM_EXE@"" app"\n' > launch.txt
printf 'SINGLE_INSTANCE: e2e.instance\nINSTRUCTIONS:\n  LAUNCH "%s\\app.jvm" 0\n/:\n' "$work_win" > program.txt
build() {  # OUTPUT STUB
  pack build --stub "$2" -o "$1" --file instructions program.txt --file launch-script launch.txt > pack.out ||
    fail "mgpack $1: $(cat pack.out)"
}

case $case_name in
second-launch)
  # The first launch runs the application, minimised; a second one brings
  # its window to the front, restored, and starts nothing, in no temporary
  # folder.
  build app.exe mglauncher.exe
  export MG_INSTANCE_MINIMISED=1
  run app.exe first.log tmp1
  first=$!
  wait_for 60 started 1 || fail "the first launch started no application: $(log_text first.log)"
  before=$(wine foreground_probe.exe | tr -d '\r')
  case $before in *'iconic=1'* | 'foreground= '*) ;; *) fail "the application is in front before the second launch: $before" ;; esac
  runner app.exe second.log tmp2
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "second launch: $out"
  after=$(wine foreground_probe.exe | tr -d '\r')
  [ "$after" = 'foreground=Instance app iconic=0' ] || fail "after the second launch: $after (before: $before)"
  if command -v import > /dev/null && [ -n "${DISPLAY:-}" ]; then
    import -window root "$work_unix/second-launch.png" && echo "screenshot: $work_unix/second-launch.png"
  fi
  [ "$(starts)" = 1 ] || fail "applications started: $(log_text starts.txt)"
  logged second.log "$running_text" || fail "second log: $(log_text second.log)"
  [ -z "$(ls -A tmp2)" ] || fail "the second launch left items in its temporary folder: $(ls -A tmp2)"
  logged first.log 'Single instance e2e.instance: this launcher runs the application.' ||
    fail "first log: $(log_text first.log)"
  stop_app
  wait $first
  ;;
after-end | after-kill)
  # Once the first application and its launcher have ended, or the launcher
  # was killed while its application runs (its mutex is then abandoned), a
  # launch starts the application again: no lock is left behind.
  build app.exe mglauncher.exe
  run app.exe first.log tmp1
  first=$!
  wait_for 60 started 1 || fail "the first launch started no application"
  if [ "$case_name" = after-end ]; then
    stop_app
    wait $first
    rm -f stop
  else
    launcher_pid=$(log_text starts.txt | awk 'NR == 1 { print $3 }')
    wine taskkill /F /PID "$launcher_pid" > /dev/null 2>&1
    wait $first
  fi
  run app.exe second.log tmp2
  second=$!
  wait_for 60 started 2 || fail "the next launch started no application: $(log_text second.log)"
  logged second.log 'Single instance e2e.instance: this launcher runs the application.' ||
    fail "second log: $(log_text second.log)"
  stop_app
  wait $second
  ;;
same-instant)
  # Two launches at the same instant start one application; the other one
  # shows it.
  build app.exe mglauncher.exe
  run app.exe first.log tmp1
  first=$!
  run app.exe second.log tmp2
  second=$!
  wait_for 60 started 1 || fail "no application started"
  # The one that lost waits for the window and then ends.
  either_shown() { logged first.log "$running_text" || logged second.log "$running_text"; }
  wait_for 60 either_shown || fail "neither launch showed the other's application"
  sleep 2
  [ "$(starts)" = 1 ] || fail "applications started: $(log_text starts.txt)"
  n=0
  for log in first.log second.log; do logged "$log" "$running_text" && n=$((n + 1)); done
  [ $n = 1 ] || fail "launches that showed the other's application: $n; $(log_text first.log) / $(log_text second.log)"
  stop_app
  wait $first $second
  ;;
console)
  # The console launcher refuses a second launch on standard error, with
  # exit code 122.
  build app.exe mglauncher.exe
  build app-console.exe mglauncher-console.exe
  run app.exe first.log tmp1
  first=$!
  wait_for 60 started 1 || fail "the first launch started no application"
  wine "$work_win\\app-console.exe" -mg:log "$work_win\\second.log" -mg:tempdir "$work_win\\tmp2" > /dev/null 2> error.txt
  code=$?
  error=$(log_text error.txt)
  [ "$code" = 122 ] || fail "console exit code: $code"
  [ "$error" = 'Single instance e2e.instance is already running: this launch does not start it again.' ] ||
    fail "console standard error: [$error]"
  [ "$(starts)" = 1 ] || fail "applications started: $(log_text starts.txt)"
  stop_app
  wait $first
  ;;
heap | heap-32-bit)
  # %MAXHEAP%(25) gives a quarter of the memory Wine reports (/proc/meminfo's
  # MemTotal, as GlobalMemoryStatusEx does under Wine), and the application
  # gets that heap. A JVM file that asks for a 32-bit JVM caps it.
  mem_mb=$(( $(awk '/^MemTotal:/ { print $2 }' /proc/meminfo) / 1024 ))
  percent=25 properties=
  if [ "$case_name" = heap-32-bit ]; then
    percent=100 properties='JVM_PROPERTIES:
  sun.arch.data.model=32
/:
'
  fi
  expected=$((mem_mb * percent / 100))
  [ "$case_name" = heap-32-bit ] && [ $expected -gt 1400 ] && expected=1400
  printf 'DESC: JDK 17\nJVM_HOME: J:\\jdk17\nJVM_EXE: bin\\java.exe\nCLASSPATH: "-classpath "\n%s' "$properties" > heap.jvm
  printf 'DESC: Heap test\nCOMMAND: """@JVM_HOME@\\@JVM_EXE@"" %%MAXHEAP%%(""%s"") -Dprintargs.heap=1 %%CP%%() PrintArgs"\nARCHIVE: """J:\\jars\\printargs.jar"""\n' \
    "$percent" > launch.txt
  printf 'INSTRUCTIONS:\n  LAUNCH "%s\\heap.jvm" 0\n/:\n' "$work_win" > program.txt
  build heap.exe mglauncher.exe
  runner heap.exe run.log tmp3
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "heap launch: $out; $(log_text run.log)"
  log_text run.log | grep -q "^Executing launch script command: .* -Xmx${expected}m -Dprintargs.heap=1 " ||
    fail "not -Xmx${expected}m ($mem_mb MB): $(log_text run.log)"
  log_text run.log | grep -q "^MAXHEAP: physical memory $mem_mb MB, $percent% is .*: -Xmx${expected}m\$" ||
    fail "no MAXHEAP line for $mem_mb MB: $(log_text run.log)"
  # What Java reports is the heap less a survivor space, or rounded up to
  # whole G1 regions (32 MB at the most).
  max=$(log_text run.log | sed -n 's/^maxMemory=//p')
  bytes=$((expected * 1024 * 1024))
  [ -n "$max" ] && [ "$max" -le $((bytes + 32 * 1024 * 1024)) ] && [ "$max" -ge $((bytes * 8 / 10)) ] ||
    fail "Runtime.maxMemory() is $max for -Xmx${expected}m"
  ;;
*)
  echo "unknown case $case_name" >&2
  exit 2
  ;;
esac
e2e_finish "instance.$case_name"
