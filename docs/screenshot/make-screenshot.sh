#!/usr/bin/env bash
# Takes docs/progress-window.png: the real progress dialog shown under Xvfb
# by progress_demo.exe (built by the Windows build), in a Wine virtual desktop
# so that Wine draws the caption bar itself.
#
# Usage: docs/screenshot/make-screenshot.sh WINDOWS-BUILD-DIR [OUTPUT.png]
# MG_DPI=192 takes it at 200% (HKCU\Control Panel\Desktop LogPixels) on a
# larger screen.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?usage: make-screenshot.sh WINDOWS-BUILD-DIR [OUTPUT.png]}
out=${2:-$here/docs/progress-window.png}
demo=$build/ui/progress_demo.exe
[ -f "$demo" ] || demo=$(find "$build" -name progress_demo.exe | head -1)
[ -f "$demo" ] || { echo "progress_demo.exe not found under $build" >&2; exit 1; }

export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$here/tests/make-wineprefix.sh" "$WINEPREFIX"
dpi=${MG_DPI:-96}
screen=$([ "$dpi" -gt 96 ] && echo 1600x1000 || echo 800x600)
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null 2>&1
wineserver -w
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ready_win='C:\progress-demo-ready.txt'
ready=$WINEPREFIX/drive_c/progress-demo-ready.txt
rm -f "$ready"

xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
  set -e
  wine explorer /desktop=shot,$4 "$0" "$1" &
  pid=$!
  for i in $(seq 1 300); do [ -s "$2" ] && break; sleep 0.1; done
  [ -s "$2" ] || { echo "the demo never became ready" >&2; kill $pid; exit 1; }
  import -window root "$3/screen.png"
  wait $pid || true
  wineserver -w
' "$demo" "$ready_win" "$ready" "$work" "$screen"

read -r x y w h < <(tr -d '\r' < "$ready")
# The dialog and a margin of the desktop around it; the virtual desktop is
# the whole screen, so window coordinates are screen coordinates.
m=12
convert "$work/screen.png" -crop "$((w + 2 * m))x$((h + 2 * m))+$((x - m))+$((y - m))" +repage "$out"
rm -f "$ready"
echo "wrote $out"
