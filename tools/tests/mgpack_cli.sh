#!/usr/bin/env bash
# Runs the example of docs/mgpack.md as written (with a 100,000-byte stand-in
# for mglauncher.exe), compares its listing with the one the page shows, and
# checks the exit status and messages of refused builds and of checks.
# Usage: mgpack_cli.sh MGPACK SOURCE_DIR WORK_DIR STAND_IN_STUB
set -u
mgpack_bin=$1 src=$2 work=$3 stand_in=$4
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
cp "$src"/docs/examples/pack/* .
"$stand_in" mglauncher.exe 100000 || exit 1
head -c 100000 /dev/zero > zeros.exe
mgpack() { "$mgpack_bin" "$@"; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The first sh block and the first text block after "## Example".
doc=$src/docs/mgpack.md
block() { awk -v kind="$1" '/^## Example/ {on=1} on && $0 == "```" kind {inside=1; next} inside && /^```/ {exit} inside {print}' "$doc"; }
block sh > example.sh
block text > expected-listing.txt
[ -s example.sh ] || fail "no example block in docs/mgpack.md"
. ./example.sh > listing.txt 2> example.err || fail "the example failed: $(cat example.err)"
grep -v '^wrote ' listing.txt > actual-listing.txt
diff -u expected-listing.txt actual-listing.txt || fail "the listing differs from docs/mgpack.md"

# Help and usage.
mgpack --help | grep -q '^usage: mgpack build' || fail "--help"
mgpack > /dev/null 2>&1; [ $? -eq 2 ] || fail "no arguments should exit 2"
mgpack frobnicate > /dev/null 2>&1; [ $? -eq 2 ] || fail "unknown command should exit 2"

# Refusals: exit status 1, the reason on standard error, the output untouched.
expect_refusal() {
  local want=$1; shift
  echo previous > out.exe
  if mgpack build "$@" -o out.exe 2> err.txt > /dev/null; then
    fail "accepted: $*"
  elif ! grep -qF -- "$want" err.txt; then
    fail "for '$*' expected '$want', got '$(cat err.txt)'"
  fi
  [ "$(cat out.exe)" = previous ] || fail "output changed by a refused build: $*"
  [ ! -e out.exe.mgpack-tmp ] || fail "temporary file left by: $*"
}
expect_refusal "cannot read missing.exe" --stub missing.exe
expect_refusal "cannot read nothing.txt" --stub mglauncher.exe --file 0 nothing.txt
expect_refusal "sample.exe already carries a file index" --stub sample.exe
expect_refusal "holds a path separator" --stub mglauncher.exe --file 6 app.jar --name 'sub\app.jar'
expect_refusal "names no file" --stub mglauncher.exe --file 6 app.jar --name ..
expect_refusal "holds a drive or stream colon" --stub mglauncher.exe --file 6 app.jar --name 'c:app.jar'
expect_refusal "holds a line feed" --stub mglauncher.exe --file 6 app.jar --name "$(printf 'a\nb')"
expect_refusal "is 65,536 bytes or longer" --stub mglauncher.exe --file 6 app.jar --name "$(head -c 65536 /dev/zero | tr '\0' n)"
expect_refusal "unknown file type 'jar'" --stub mglauncher.exe --file jar app.jar
# Branding is checked before anything is written, the files first.
printf 'not an icon' > bad.ico
printf '<html></html>' > bad.manifest
expect_refusal "bad.ico is not a usable icon file: no icon header" --stub mglauncher.exe --icon bad.ico
expect_refusal "bad.manifest is not a usable manifest: the root element is not <assembly>" --stub mglauncher.exe --manifest bad.manifest
expect_refusal "--version-info takes NAME=VALUE" --stub mglauncher.exe --version-info Product=Sample
expect_refusal "--version-info ProductName given twice" --stub mglauncher.exe --version-info ProductName=A --version-info ProductName=B
expect_refusal "the stub is not a launcher executable (no MZ header)" --stub zeros.exe --version-info ProductName=Sample
expect_refusal "--product-name is empty" --stub mglauncher.exe --product-name ''
expect_refusal "--product-name is 41 characters long" --stub mglauncher.exe --product-name "$(printf '%041d' 0)"
expect_refusal "--product-name given twice" --stub mglauncher.exe --product-name A --product-name B
expect_refusal "the product name, which the launcher's texts take from --version-info ProductName, is empty" \
  --stub mglauncher.exe --version-info ProductName=
# The stand-in's resources hold no texts to name the product in.
expect_refusal "the stub's texts do not name Marrowgate" --stub mglauncher.exe --product-name Acme

# Checks: the example checks clean (warnings only), in build and alone.
mgpack --version | grep -qx 'mgpack [0-9][0-9]*\.[0-9][0-9]*' || fail "--version: $(mgpack --version)"
mgpack check sample.exe > check.out; status=$?
[ $status -eq 0 ] || fail "check of the example: exit $status: $(cat check.out)"
grep -q ': error: ' check.out && fail "check of the example found errors: $(cat check.out)"
tail -1 check.out | grep -qx 'sample.exe: 0 errors, [0-9]* warnings\{0,1\}' || fail "check summary: $(tail -1 check.out)"
# A build whose files hold an error writes nothing, says where and exits 2;
# --no-check packs it, and check then says the same of the entry.
printf 'INSTRUCTIONS:\n  INITIALIZE_UI\n  Launch @S2@ 0\n/:\n' > broken.txt
expect_check() {  # STATUS EXPECTED-LINE COMMAND...
  local want_status=$1 want=$2; shift 2
  echo previous > out.exe
  mgpack "$@" > stdout.txt 2> stderr.txt; local status=$?
  [ $status -eq "$want_status" ] || fail "exit $status, not $want_status: $*: $(cat stdout.txt stderr.txt)"
  grep -qxF -- "$want" stdout.txt stderr.txt || fail "no line '$want' from $*: $(cat stdout.txt stderr.txt)"
}
expect_check 2 'broken.txt:3: error: Invalid command (Launch). Commands are upper case: LAUNCH.' \
  build --stub mglauncher.exe -o out.exe --file instructions broken.txt
[ "$(cat out.exe)" = previous ] || fail "a build with an error changed its output"
[ ! -e out.exe.mgpack-tmp ] || fail "a build with an error left its temporary file"
grep -qxF 'mgpack: 1 error, 0 warnings: out.exe is not written' stderr.txt || fail "build summary: $(cat stderr.txt)"
mgpack build --no-check --stub mglauncher.exe -o broken.exe --file instructions broken.txt > /dev/null ||
  fail "--no-check did not pack"
expect_check 2 'broken.txt:3: error: Invalid command (Launch). Commands are upper case: LAUNCH.' check broken.exe
# A warning stops a build only with --strict. The example's launches hide
# the window at once: a warning once its start-up failure message is off.
{ cat launch.txt; echo 'START_FAILURE_MESSAGE: 0'; } > quiet.txt
example=(--file instructions instructions.txt --file launch-script quiet.txt --file jvm-file jre.jvm
         --file application-archive app.jar)
expect_check 0 'instructions.txt:6: warning: LAUNCH hides the progress window at once (0 seconds) and the launch script sets START_FAILURE_MESSAGE: 0: an application that fails at start-up then ends without a message; a few seconds keep the window up to report it' \
  build --stub mglauncher.exe -o quiet.exe "${example[@]}"
expect_check 2 'mgpack: 0 errors, 2 warnings: out.exe is not written' \
  build --strict --stub mglauncher.exe -o out.exe "${example[@]}"
expect_check 2 'quiet.exe: 0 errors, 2 warnings' check --strict quiet.exe
expect_check 2 'sample.exe: 0 errors, 1 warning' check --strict sample.exe
# Only our launcher is a stub: a jar is refused with the reason.
printf 'PK\3\4 a jar' > other.jar
expect_check 2 'other.jar: error: not a Marrowgate launcher (it is a jar or zip file); the stub must be mglauncher.exe or mglauncher-console.exe' \
  build --stub other.jar -o out.exe --file instructions instructions.txt
expect_check 2 'other.jar: error: not a Marrowgate launcher (it is a jar or zip file); the stub must be mglauncher.exe or mglauncher-console.exe' \
  build --no-check --stub other.jar -o out.exe --file instructions instructions.txt
expect_check 2 'zeros.exe: error: carries no file index: it is no packed launcher' check zeros.exe

# --records prints the launcher's log records.
mgpack list --records sample.exe > records.txt
[ "$(head -5 records.txt)" = "$(printf 'file type: 0\n  file id: 0\n  length: 120\n  offset: 100000\n  file name: instructions.txt')" ] ||
  fail "records: $(head -5 records.txt)"
mgpack list mglauncher.exe | grep -q 'has no file index' || fail "list of a plain stub"

# A build tree is no installation: without --stub, mgpack says where it looked.
share=$(cd "$(dirname "$(readlink -f "$mgpack_bin")")/.." && pwd)/share/marrowgate
if [ ! -e "$share" ]; then
  expect_refusal "no --stub given: mgpack's installation has no $share/mglauncher.exe" --file 0 instructions.txt
  mgpack build -o out.exe > /dev/null 2>&1; [ $? -eq 1 ] || fail "a build without an installed launcher should exit 1"
fi

[ $failures -eq 0 ] && echo "all mgpack command-line checks passed"
exit $((failures > 0))
