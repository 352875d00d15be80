#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine needs to build and test the
# launcher. Safe to run again: it only installs what is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=apt-lib.sh
. "$here/scripts/apt-lib.sh"

APT_PREFIX=()
if [ "$(id -u)" != 0 ]; then APT_PREFIX=(sudo); fi

packages=(
  cmake make g++ clang libclang-rt-14-dev clang-tidy cppcheck file
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 lld
  wine wine64 wine64-tools xvfb xauth x11-apps imagemagick
  googletest libgtest-dev libgmock-dev
  default-jdk-headless
  osslsigncode openssl icoutils python3-pefile
  zip unzip lintian maven libexec-maven-plugin-java
)

# 32-bit Windows programs run on this machine's own Wine only where its kernel
# executes 32-bit code. Elsewhere they run in the emulated machine
# (scripts/i686-machine.sh), and the host needs no i386 package at all.
native32=(libc6:i386 wine32:i386)
machine=(qemu-system-x86 debootstrap e2fsprogs)
added_arch=0
if "$here/scripts/can-run-32bit.sh"; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${APT_PREFIX[@]}" dpkg --add-architecture i386
    added_arch=1
  fi
  mapfile -t todo < <(apt_missing "${packages[@]}" "${native32[@]}")
  if [ ${#todo[@]} -gt 0 ] || [ $added_arch = 1 ]; then
    apt_update
  fi
  if ! apt_install setup "${packages[@]}" "${native32[@]}"; then
    # The archive cannot give the 32-bit packages today; the 32-bit suites
    # can still run in the emulated machine, which needs none of them.
    echo "setup: going on without 32-bit Wine: the 32-bit suites will run in the emulated machine (scripts/i686-machine.sh)" >&2
    [ $added_arch = 1 ] && "${APT_PREFIX[@]}" dpkg --remove-architecture i386 2>/dev/null
    apt_install setup "${packages[@]}" "${machine[@]}"
  fi
else
  mapfile -t todo < <(apt_missing "${packages[@]}" "${machine[@]}")
  if [ ${#todo[@]} -gt 0 ]; then
    apt_update
  fi
  apt_install setup "${packages[@]}" "${machine[@]}"
fi

if ! "$here/scripts/can-run-32bit.sh" && [ -z "$(apt_missing wine32:i386)" ]; then
  # Debian's wine script must fall back to wine64 here.
  echo "setup: this machine cannot run 32-bit programs; removing wine32 so that wine uses wine64"
  apt_run remove -y -q wine32:i386
fi
echo "setup: all packages present"
