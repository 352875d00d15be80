#!/usr/bin/env bash
# One end-to-end case of a launcher made ready to ship, under Wine.
# Usage: ship.sh CASE MGLAUNCHER MGPACK RUNNER SOURCE_DIR HOST_BUILD
#   (WINEPREFIX set). The jvmhome fixture gives J:\jdk17 (java.exe bridge).
#   signed   packed, signed with osslsigncode: verifies, lists, finds its
#            JVM and runs; one payload byte changed breaks the signature
set -u
case_name=$1 launcher=$2 mgpack_exe=$3 runner=$4 src=$5 host=$6
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
e2e_workdir "mgtest-ship-$case_name"
cp "$launcher" mglauncher.exe
cp "$src"/examples/sample/{instructions.txt,launch.txt,sample.jvm} .
cp "$host/java/verify.jar" "$host/examples/sample.jar" .
mkdir tmp
mgpack() { wine "$mgpack_exe" "$@" 2>&1 | tr -d '\r'; }
host_mgpack=$host/tools/mgpack
pack_sample() {  # OUTPUT [OPTIONS...]: the sample, packed by mgpack.exe
  local output=$1
  shift
  mgpack build --stub mglauncher.exe -o "$output" "$@" --file instructions instructions.txt \
    --file launch-script launch.txt --file jvm-file sample.jvm --file verify-archive verify.jar \
    --file application-archive sample.jar > pack.out || fail "mgpack $output: $(cat pack.out)"
}
# The sample ran, with the arguments given after the launcher's options.
ran_with() { log_text run.log | grep -q "^Marrowgate sample running on Java 17.* with $1\$"; }

case $case_name in
signed)
  pack_sample sample.exe
  # A throwaway code-signing certificate.
  openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
    -subj "/CN=Marrowgate Test Vendor" > /dev/null 2>&1 || fail "openssl could not make a certificate"
  osslsigncode sign -certs cert.pem -key key.pem -n "Marrowgate Sample" -in sample.exe -out signed.exe \
    > sign.out 2>&1 || fail "osslsigncode sign: $(cat sign.out)"
  osslsigncode verify -CAfile cert.pem signed.exe > verify.out 2>&1 || fail "signature does not verify: $(cat verify.out)"
  # Both mgpacks list the signed file as the unsigned one.
  [ "$(mgpack list signed.exe)" = "$(mgpack list sample.exe)" ] || fail "mgpack.exe list: $(mgpack list signed.exe)"
  [ "$("$host_mgpack" list signed.exe)" = "$(mgpack list sample.exe)" ] || fail "mgpack list: $("$host_mgpack" list signed.exe)"
  e2e_run signed.exe '-mg:javahome J:\jdk17 --open report.txt'
  log_text run.log | grep -qxF 'Found matching JVM at J:\jdk17' || fail "the home was not found: $(log_text run.log)"
  ran_with '2 arguments \[--open\] \[report.txt\]' || fail "the application did not run: $(log_text run.log)"
  # The signature covers the payload: the first byte of instructions.txt.
  offset=$(mgpack list signed.exe | awk '$NF == "instructions.txt" {print $6}')
  cp signed.exe tampered.exe
  printf 'X' | dd of=tampered.exe bs=1 seek="$offset" conv=notrunc status=none
  osslsigncode verify -CAfile cert.pem tampered.exe > /dev/null 2>&1 && fail "a changed payload byte still verifies"
  # A signed stub loses its signature, with a note; the result is the plain build.
  osslsigncode sign -certs cert.pem -key key.pem -in mglauncher.exe -out signed-stub.exe > /dev/null 2>&1
  cp signed-stub.exe stub.exe && cp mglauncher.exe plain.exe
  cp stub.exe mglauncher.exe && pack_sample from-signed.exe
  grep -qF 'mglauncher.exe carried a signature; it is removed' pack.out || fail "no note on the signature: $(cat pack.out)"
  cmp -s from-signed.exe sample.exe || fail "packing a signed stub differs from packing the plain one"
  cp plain.exe mglauncher.exe
  ;;
*) fail "unknown case $case_name" ;;
esac
e2e_finish "ship $case_name"
