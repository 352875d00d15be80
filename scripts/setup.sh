#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine needs to build and test the
# launcher. Safe to run again: it only installs what is missing.
set -euo pipefail

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi

packages=(
  cmake make g++ clang libclang-rt-14-dev clang-tidy cppcheck
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 lld
  wine wine64 wine64-tools libc6:i386 xvfb xauth x11-apps imagemagick
  googletest libgtest-dev libgmock-dev
  default-jdk-headless
  osslsigncode openssl icoutils python3-pefile
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
elif [ "${need_update:-0}" = 1 ]; then
  $SUDO apt-get update -q
fi
# 32-bit Wine only where this machine can execute 32-bit programs: some
# virtual machines cannot, and there Debian's wine script must fall back to
# wine64 (the tests then build the 64-bit flavour, scripts/windows-arch.sh).
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q wine32:i386
  fi
elif dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
  echo "setup: this machine cannot run 32-bit programs; removing wine32 so that wine uses wine64"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -q wine32:i386
fi
echo "setup: all packages present"
