#!/usr/bin/env bash
# Creates (once) the Wine prefix of a build tree. Never touches ~/.wine.
set -eu
prefix=${1:?usage: make-wineprefix.sh PREFIX}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
# Programs copied to a name ending in 9x.exe see the Windows 9x family. Wine
# then reports it through ntdll's RtlGetVersion too, which the launcher asks
# before GetVersionExA: these copies take the 9x paths.
wine reg add 'HKCU\Software\Wine\AppDefaults\mglauncher9x.exe' /v Version /d win98 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\AppDefaults\wintests9x.exe' /v Version /d win98 /f >/dev/null 2>&1
wineserver -w
test -f "$prefix/system.reg"
