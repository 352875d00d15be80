#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine needs to build and test the
# launcher. Safe to run again: it only installs what is missing.
set -euo pipefail

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi

packages=(
  cmake make g++ clang libclang-rt-14-dev clang-tidy cppcheck
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386 wine64 wine64-tools xvfb xauth x11-apps imagemagick
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
echo "setup: all packages present"
