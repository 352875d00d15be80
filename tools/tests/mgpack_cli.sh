#!/usr/bin/env bash
# Runs the example of docs/mgpack.md as written (with a 100,000-byte stand-in
# for mglauncher.exe), compares its listing with the one the page shows, and
# checks the exit status and messages of refused builds.
# Usage: mgpack_cli.sh MGPACK SOURCE_DIR WORK_DIR
set -u
mgpack_bin=$1 src=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
cp "$src"/docs/examples/pack/* .
head -c 100000 /dev/zero > mglauncher.exe
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
expect_refusal "the stub is not a launcher executable (no MZ header)" --stub mglauncher.exe --version-info ProductName=Sample

# --records prints the launcher's log records.
mgpack list --records sample.exe > records.txt
[ "$(head -5 records.txt)" = "$(printf 'file type: 0\n  file id: 0\n  length: 120\n  offset: 100000\n  file name: instructions.txt')" ] ||
  fail "records: $(head -5 records.txt)"
mgpack list mglauncher.exe | grep -q 'has no file index' || fail "list of a plain stub"

[ $failures -eq 0 ] && echo "all mgpack command-line checks passed"
exit $((failures > 0))
