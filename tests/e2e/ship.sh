#!/usr/bin/env bash
# One end-to-end case of a launcher made ready to ship, under Wine.
# Usage: ship.sh CASE MGLAUNCHER MGPACK RUNNER SOURCE_DIR HOST_BUILD PROBE
#   (WINEPREFIX set). The jvmhome fixture gives J:\jdk17 (java.exe bridge).
#   signed    packed, signed with osslsigncode: verifies, lists, finds its
#             JVM and runs; one payload byte changed breaks the signature
#   branding  --icon, --version-info, --manifest: mgpack and mgpack.exe write
#             the same file; Windows (branding_probe.exe) and pefile read the
#             values; ProductName names the product in the string tables of
#             all 22 languages and in the message boxes' caption, and
#             --product-name gives another name; without a name the tables
#             keep their bytes, without branding the stub is copied as it is;
#             the branded launchers run
#   paths     the temporary folder, the launcher's folder and arguments in
#             Chinese and Greek on a Western-locale prefix: short names on
#             the Java command line, the application runs
set -u
case_name=$1 launcher=$2 mgpack_exe=$3 runner=$4 src=$5 host=$6 probe=${7:-}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
e2e_workdir "mgtest-ship-$case_name"
cp "$launcher" mglauncher.exe
cp "$src"/examples/sample/{instructions.txt,launch.txt,sample.jvm} .
cp "$host/java/verify.jar" "$host/examples/sample.jar" .
# The sample's instructions install a JVM when none is found, so its package
# carries an installer, as the guide's does. These cases always find one:
# any Windows program stands in.
cp "$runner" setup.exe
mkdir tmp
e2e_kit "$mgpack_exe" "$launcher" "$host/java/verify.jar"
host_mgpack=$host/tools/mgpack
sample_files=(--file instructions instructions.txt --file launch-script launch.txt --file jvm-file sample.jvm
              --file verify-archive verify.jar --file jvm-installer setup.exe --file application-archive sample.jar)
pack_sample() {  # OUTPUT [OPTIONS...]: the sample, packed by mgpack.exe
  local output=$1
  shift
  mgpack build --stub mglauncher.exe -o "$output" "$@" "${sample_files[@]}" > pack.out || fail "mgpack $output: $(cat pack.out)"
}
# The sample ran, with the arguments given after the launcher's options.
ran_with() { log_text run.log | grep -q "^Marrowgate sample running on Java 17.* with $1\$"; }
# Every string of a file's string tables, as pefile reads them: language,
# id and text (line feeds as spaces), one line each.
table_strings() {
  /usr/bin/python3 - "$1" <<'PY'
import sys, pefile
pe = pefile.PE(sys.argv[1])
for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    if kind.id != 6:
        continue
    for block in kind.directory.entries:
        for language in block.directory.entries:
            data = pe.get_data(language.data.struct.OffsetToData, language.data.struct.Size)
            at = 0
            for i in range(16):
                n = int.from_bytes(data[at:at + 2], "little")
                text = data[at + 2:at + 2 + 2 * n].decode("utf-16-le")
                at += 2 + 2 * n
                if n:
                    print("%d\t%d\t%s" % (language.id, (block.id - 1) * 16 + i, text.replace("\n", " ")))
PY
}

case $case_name in
signed)
  # The commands of the vendor's guide, section "Ship it", as written: its
  # third sh block.
  commands=$(doc_block "$src/docs/vendor-guide.md" 3 sh)
  case $commands in *"mgpack build "*"osslsigncode sign "*"osslsigncode verify "*) ;; *) fail "no signing commands in the guide: $commands" ;; esac
  convert -size 48x48 xc:'#2060c0' -define icon:auto-resize=32,16 sample.ico || fail "convert made no icon"
  guide_out=$(eval "$commands" 2>&1)
  printf '%s\n' "$guide_out" | grep -qx 'Succeeded' || fail "the guide's signature does not verify: $guide_out"
  printf '%s\n' "$guide_out" | grep -q ' sample.jar$' || fail "the guide's listing: $guide_out"
  # What the guide says its ProductName makes of the progress window's text,
  # in English and German, and of the message boxes' caption.
  said=$(tr '\n' ' ' < "$src/docs/vendor-guide.md" | tr -s ' ')
  said_en=$(printf '%s' "$said" | sed -n 's/.*the progress window reads "\([^"]*\)".*/\1/p')
  said_de=$(printf '%s' "$said" | sed -n 's/.*(in German "\([^"]*\), \.\.\.").*/\1/p')
  said_caption=$(printf '%s' "$said" | sed -n 's/.*message boxes are captioned "\([^"]*\)" instead of "Message".*/\1/p')
  table_strings unsigned.exe > unsigned.strings
  for row in "9 31 $said_en" "7 31 $said_de" "9 41 $said_caption" "7 41 $said_caption"; do
    read -r language id text <<< "$row"
    got=$(awk -F '\t' -v l=$language -v i=$id '$1 == l && $2 == i { print $3 }' unsigned.strings)
    [ -n "$text" ] && [ "${got#"$text"}" != "$got" ] || fail "the guide says '$text'; string $id of language $language is '$got'"
  done
  cp sample.exe signed.exe && cp unsigned.exe sample.exe && cp vendor-cert.pem cert.pem && cp vendor-key.pem key.pem
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
  pack_sample plain-sample.exe
  osslsigncode sign -certs cert.pem -key key.pem -in mglauncher.exe -out signed-stub.exe > /dev/null 2>&1
  cp mglauncher.exe plain.exe && cp signed-stub.exe mglauncher.exe && pack_sample from-signed.exe
  grep -qF 'mglauncher.exe carried a signature; it is removed' pack.out || fail "no note on the signature: $(cat pack.out)"
  cmp -s from-signed.exe plain-sample.exe || fail "packing a signed stub differs from packing the plain one"
  cp plain.exe mglauncher.exe
  ;;
branding)
  # An icon of three images, none like the launcher's own.
  convert -size 64x64 xc:'#2060c0' -define icon:auto-resize=48,32,16 vendor.ico || fail "convert made no icon"
  sed 's/Marrowgate.Launcher/Acme.Sample/' "$src/resources/launcher.manifest" > acme.manifest
  brand=(--icon vendor.ico --manifest acme.manifest --version-info 'ProductName=Acme Sampler™'
         --version-info 'CompanyName=Acme Ωmega Ltd' --version-info FileVersion=2.3.4.5
         --version-info 'LegalCopyright=© 2026 Acme')
  pack_sample branded.exe "${brand[@]}"
  "$host_mgpack" build --stub mglauncher.exe -o branded-linux.exe "${brand[@]}" "${sample_files[@]}" > /dev/null ||
    fail "mgpack (Linux) failed"
  cmp branded.exe branded-linux.exe || fail "mgpack.exe and mgpack wrote different files"
  expected='CompanyName=Acme Ωmega Ltd
FileVersion=2.3.4.5
LegalCopyright=© 2026 Acme
ProductName=Acme Sampler™
fixed file 2.3.4.5 product 2.3.4.5
icon 16: 16x16
icon 32: 32x32
string 31: Acme Sampler™ is preparing the Acme Sa
string 41: Acme Sampler™
dialog 101: yes
manifest: '$(stat -c %s acme.manifest)' bytes'
  got=$(wine "$probe" branded.exe | tr -d '\r')
  [ "$got" = "$expected" ] || fail "Windows reads:
$got
--- expected
$expected"
  # An independent reader: Python's pefile.
  read_pe() {
    /usr/bin/python3 - "$1" <<'PY'
import sys, pefile
pe = pefile.PE(sys.argv[1])
for info in pe.FileInfo[0]:
    for table in getattr(info, "StringTable", []):
        for k, v in sorted(table.entries.items()):
            print(k.decode() + "=" + v.decode())
f = pe.VS_FIXEDFILEINFO[0]
print("fixed", hex(f.FileVersionMS), hex(f.FileVersionLS))
print("checksum ok", pe.OPTIONAL_HEADER.CheckSum == pe.generate_checksum())
for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    if kind.id == 24:
        data = kind.directory.entries[0].directory.entries[0].data.struct
        print("manifest", len(pe.get_data(data.OffsetToData, data.Size)))
PY
  }
  [ "$(read_pe branded.exe)" = "$(printf '%s\n' 'CompanyName=Acme Ωmega Ltd' 'FileVersion=2.3.4.5' \
      'LegalCopyright=© 2026 Acme' 'ProductName=Acme Sampler™' 'fixed 0x20003 0x40005' 'checksum ok True' \
      "manifest $(stat -c %s acme.manifest)")" ] || fail "pefile reads: $(read_pe branded.exe)"
  # The product's name in every language: string 31 names it where the
  # plain launcher names itself, string 41 is the caption; every other text
  # is the plain launcher's.
  table_strings mglauncher.exe > plain.strings
  table_strings branded.exe > branded.strings
  # NAME CAPTION STRINGS-FILE: how the tables differ from the plain ones
  # other than by NAME in string 31 and CAPTION as string 41; nothing if not.
  name_in_tables() {
    /usr/bin/python3 - "$1" "$2" plain.strings "$3" <<'PY'
import sys
name, caption, plain, branded = sys.argv[1], sys.argv[2], {}, {}
for path, table in ((sys.argv[3], plain), (sys.argv[4], branded)):
    for line in open(path, encoding="utf-8"):
        language, id, text = line.rstrip("\n").split("\t", 2)
        table[(int(language), int(id))] = text
languages = sorted({l for l, _ in plain})
if len(languages) != 22: print("%d languages in the plain launcher" % len(languages))
for l in languages:
    intro = plain[(l, 31)].replace("Marrowgate\u00ae", name).replace("Marrowgate", name)
    if branded.get((l, 31)) != intro: print("language %d: string 31 is %r" % (l, branded.get((l, 31))))
    if branded.get((l, 41)) != caption: print("language %d: string 41 is %r" % (l, branded.get((l, 41))))
for key in set(plain) | set(branded):
    if key[1] not in (31, 41) and plain.get(key) != branded.get(key): print("string %d of language %d changed" % key[::-1])
PY
  }
  wrong=$(name_in_tables 'Acme Sampler™' 'Acme Sampler™' branded.strings)
  [ -z "$wrong" ] || fail "the tables of branded.exe: $wrong"
  # --product-name before ProductName; the same in mgpack.exe and mgpack.
  pack_sample named.exe "${brand[@]}" --product-name 'Acme & Søn'
  "$host_mgpack" build --stub mglauncher.exe -o named-linux.exe "${brand[@]}" --product-name 'Acme & Søn' \
    "${sample_files[@]}" > /dev/null
  cmp named.exe named-linux.exe || fail "mgpack.exe and mgpack named the product differently"
  table_strings named.exe > named.strings
  # The static text shows '&&' as one ampersand.
  wrong=$(name_in_tables 'Acme && Søn' 'Acme & Søn' named.strings)
  [ -z "$wrong" ] || fail "the tables of named.exe: $wrong"
  # Without a product name the tables keep their bytes; without branding
  # the resource section is the stub's (only the checksum covers the payload).
  pack_sample icon-only.exe --icon vendor.ico --version-info 'CompanyName=Acme Ltd'
  table_strings icon-only.exe | cmp -s - plain.strings || fail "an unnamed branding changed the string tables"
  pack_sample plain.exe
  resource_section() {
    /usr/bin/python3 -c 'import sys, pefile
pe = pefile.PE(sys.argv[1])
d = pe.OPTIONAL_HEADER.DATA_DIRECTORY[2]
s = pe.get_section_by_rva(d.VirtualAddress)
sys.stdout.buffer.write(b"%d %d %d\n" % (d.VirtualAddress, d.Size, s.PointerToRawData) + s.get_data())' "$1"
  }
  cmp -s <(resource_section plain.exe) <(resource_section mglauncher.exe) || fail "packing without branding changed the resources"
  # The launcher's own texts: a message under the product's caption, then a run.
  out=$(MG_MESSAGE_CAPTION='Acme Sampler™' wine "$runner" "$work_win\\branded.exe" raw "-mg:in $work_win\\missing.tag" 2>&1 |
        tr -d '\r')
  printf '%s\n' "$out" | grep -qxF 'message: Unable to open input file specified on the command line after the -in option.' ||
    fail "the branded launcher's message under the caption 'Acme Sampler™': $out"
  e2e_run branded.exe '-mg:javahome J:\jdk17 --open report.txt'
  ran_with '2 arguments \[--open\] \[report.txt\]' || fail "the branded launcher did not run: $(log_text run.log)"
  # A name the tables cannot take is refused before anything is written.
  mgpack build --stub mglauncher.exe -o refused.exe --product-name '' > refused.out
  grep -qF -- '--product-name is empty' refused.out || fail "empty name: $(cat refused.out)"
  [ ! -e refused.exe ] || fail "a refused name wrote its output"
  # Refusals leave nothing behind.
  printf 'not an icon' > bad.ico
  mgpack build --stub mglauncher.exe -o refused.exe --icon bad.ico > refused.out
  grep -qF 'bad.ico is not a usable icon file' refused.out || fail "bad icon: $(cat refused.out)"
  [ ! -e refused.exe ] || fail "a refused build wrote its output"
  ;;
paths)
  mkdir -p 'Ελληνικά' '用户/temp'
  "$host_mgpack" build --stub mglauncher.exe -o 'Ελληνικά/sample.exe' "${sample_files[@]}" > /dev/null || fail "mgpack failed"
  # The prefix's temporary folder, for this run only.
  old_temp=$(wine reg query 'HKCU\Environment' /v TEMP 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_[A-Z_]* *//p')
  restore() { [ -n "$old_temp" ] && for v in TEMP TMP; do wine reg add 'HKCU\Environment' /v $v /t REG_EXPAND_SZ /d "$old_temp" /f > /dev/null 2>&1; done; }
  trap restore EXIT
  for v in TEMP TMP; do wine reg add 'HKCU\Environment' /v $v /d "$work_win\\用户\\temp" /f > /dev/null 2>&1; done
  wineserver -w
  LC_ALL=C.UTF-8 timeout $((300 * ${MG_TIME_FACTOR:-1})) wine "$work_win\\Ελληνικά\\sample.exe" -mg:silent -mg:log "$work_win\\run.log" \
    -mg:javahome 'J:\jdk17' 中文 Ωμέγα > /dev/null 2>&1
  restore
  trap - EXIT
  log_text run.log | grep '^Using the short name ' |
    grep -qF " for the temporary folder $work_win\\用户\\temp\\: its name does not survive the system code page 1252" ||
    fail "no short name for the temporary folder: $(log_text run.log)"
  log_text run.log | grep -q "^Using the short name [^ ]* for the working directory .*Ελληνικά" ||
    fail "no short name for the working directory: $(log_text run.log)"
  log_text run.log | grep -qxF 'WARNING: The argument Ωμέγα holds characters the system code page cannot represent: a Java application may receive them as '"'?'" ||
    fail "no warning for the Greek argument"
  command=$(log_text run.log | grep '^Executing launch script command: .*Sample')
  printf '%s' "${command% \"中文\" \"Ωμέγα\" in working directory *}" | LC_ALL=C grep -q '[^ -~]' &&
    fail "the Java command line holds characters outside ASCII: $command"
  ran_with '2 arguments \[中文\] \[Ωμέγα\]' || fail "the application did not run: $(log_text run.log)"
  [ -z "$(ls -A '用户/temp')" ] || fail "left in the temporary folder: $(ls -A '用户/temp')"
  ;;
*) fail "unknown case $case_name" ;;
esac
e2e_finish "ship $case_name"
