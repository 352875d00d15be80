#!/usr/bin/env bash
# Prints the Windows architecture the tests build for: i686, the launcher
# users get, where this machine's Wine runs 32-bit programs; x86_64 where it
# runs only 64-bit ones (some virtual machines cannot execute 32-bit code at
# all). MG_WINDOWS_ARCH overrides the choice.
if [ -n "${MG_WINDOWS_ARCH:-}" ]; then
  echo "$MG_WINDOWS_ARCH"
elif [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo i686
else
  echo x86_64
fi
