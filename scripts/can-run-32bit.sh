#!/usr/bin/env bash
# Exits 0 where this machine's kernel runs 32-bit x86 programs. Some virtual
# machines switch that emulation off; it is tried with a minimal static ELF
# that only exits, so no i386 package is needed to ask.
set -u
elf=$(mktemp)
trap 'rm -f "$elf"' EXIT
# ELF header, one loadable segment at 0x08048000, then: mov eax,1; xor ebx,ebx; int 0x80.
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'   >"$elf"
printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$elf"
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$elf"
printf '\x00\x00\x00\x00'                                          >>"$elf"
printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$elf"
printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$elf"
printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'                      >>"$elf"
chmod +x "$elf"
"$elf" 2>/dev/null
