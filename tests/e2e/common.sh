# The prelude the end-to-end scripts share; source it, do not run it.
#   e2e_workdir NAME   a fresh folder C:\NAME of the prefix, made the current
#                      directory; its paths in $work_unix and $work_win
#   fail TEXT          counts a failure and says why
#   e2e_finish NAME    reports and exits 0 when nothing failed, else 1
#   log_text FILE      a text file of the launcher without its CRs
#   wait_for SECONDS COMMAND...  true once COMMAND succeeds, polling; the
#                      bound only keeps a broken run from hanging
#   doc_block FILE N LANGUAGE  the Nth fenced block of that language in FILE
#   e2e_kit MGPACK LAUNCHER VERIFY_JAR  mgpack.exe's installation as the
#                      release zip lays it out, in kit/ of the work folder
#                      (bin\mgpack.exe, share\marrowgate\mglauncher.exe and
#                      verify.jar), for commands that leave the stub and the
#                      verify archive to mgpack; mgpack runs it
#   e2e_run EXE [ARGUMENT-TEXT]  runs EXE of the work folder through $runner
#                      (foundation_runner.exe) with -mg:silent, the log run.log
#                      and the temporary root tmp; its report in $out; exit
#                      code 0 and no message box required
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
log_text() { tr -d '\r' < "$1" 2>/dev/null; }

e2e_workdir() {
  work_unix=$WINEPREFIX/drive_c/$1
  work_win="C:\\$1"
  rm -rf "$work_unix" && mkdir -p "$work_unix" && cd "$work_unix" || exit 1
}

wait_for() {
  local bound=$(($1 * ${MG_TIME_FACTOR:-1}))
  shift
  local end=$((SECONDS + bound))
  while ! "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.2
  done
}

doc_block() {
  awk -v n="$2" -v lang="$3" '
    $0 == "```" lang { inside = 1; count++; next }
    $0 == "```" { inside = 0; next }
    inside && count == n { print }' "$1"
}

e2e_kit() {
  mkdir -p kit/bin kit/share/marrowgate || exit 1
  cp "$1" kit/bin/mgpack.exe && cp "$2" kit/share/marrowgate/mglauncher.exe &&
    cp "$3" kit/share/marrowgate/verify.jar || exit 1
}
mgpack() { wine kit/bin/mgpack.exe "$@" 2>&1 | tr -d '\r'; }

e2e_run() {
  rm -f run.log
  out=$(timeout $((300 * ${MG_TIME_FACTOR:-1})) wine "$runner" "$work_win\\$1" raw \
        "-mg:silent -mg:log $work_win\\run.log -mg:tempdir $work_win\\tmp ${2:-}" 2>&1 | tr -d '\r')
  printf '%s\n' "$out" | grep -qx 'exit code: 0' || fail "$1: $out; log: $(log_text run.log)"
  printf '%s\n' "$out" | grep -q '^message: ' && fail "$1 showed a message box: $out"
}

e2e_finish() {
  [ $failures -eq 0 ] && echo "$1 passed"
  exit $((failures > 0))
}
