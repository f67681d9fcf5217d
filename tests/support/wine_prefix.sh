#!/usr/bin/env bash
# Makes (once) the Wine prefix the Windows test programs run in: under the build folder, with
# the graphics driver set so that no display is needed.
set -euo pipefail
prefix=$1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
command -v wine >/dev/null || { echo "wine is not installed (run scripts/setup-debian.sh test)"; exit 1; }
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    wineboot -i >/dev/null 2>&1 || true
fi
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
# The running server keeps the old settings; the next program starts a fresh one.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
test -f "$prefix/system.reg"
