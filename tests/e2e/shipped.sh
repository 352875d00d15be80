#!/usr/bin/env bash
# The launchers the end-to-end runs use are the files users get: stripped,
# with no symbol table and no debug sections. Their manifests, and those of
# the other programs given after --, declare the architecture the program is
# built for.
# Usage: shipped.sh OBJDUMP LAUNCHER... [-- EXE...]
set -u
objdump=$1
shift
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
launchers=() others=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do launchers+=("$1"); shift; done
[ $# -gt 0 ] && shift && others=("$@")
for exe in "${launchers[@]}"; do
  [ -f "$exe" ] || { fail "$exe is missing"; continue; }
  "$objdump" -t "$exe" 2>&1 | grep -q 'no symbols' || fail "$exe has a symbol table: it is not the stripped launcher"
  "$objdump" -h "$exe" | grep -q ' \.debug' && fail "$exe has debug sections"
done
# The architecture of the application's own assemblyIdentity, read from the
# manifest resource (type 24), against the machine in the PE header.
/usr/bin/python3 - "${launchers[@]}" "${others[@]}" <<'PY' || failures=$((failures + 1))
import sys, xml.etree.ElementTree as ET
import pefile
MACHINES = {0x14C: "x86", 0x8664: "amd64"}
bad = 0
for path in sys.argv[1:]:
    pe = pefile.PE(path)
    want = MACHINES.get(pe.FILE_HEADER.Machine, hex(pe.FILE_HEADER.Machine))
    kinds = pe.DIRECTORY_ENTRY_RESOURCE.entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []
    manifests = [pe.get_data(language.data.struct.OffsetToData, language.data.struct.Size)
                 for kind in kinds if kind.id == 24
                 for name in kind.directory.entries for language in name.directory.entries]
    if len(manifests) != 1:
        print(f"FAIL: {path} carries {len(manifests)} manifests")
        bad += 1
        continue
    identity = ET.fromstring(manifests[0]).find("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
    got = identity.get("processorArchitecture") if identity is not None else None
    if got != want:
        print(f"FAIL: {path} is built for {want}, its manifest declares processorArchitecture={got}")
        bad += 1
sys.exit(1 if bad else 0)
PY
[ $failures -eq 0 ] && echo "e2e.shipped passed: ${launchers[*]} ${others[*]}"
exit $((failures > 0))
