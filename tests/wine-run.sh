#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's prefix (WINEPREFIX),
# with Wine's own chatter kept out of the output.
set -u
: "${WINEPREFIX:?WINEPREFIX must name the prefix of the build tree}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
