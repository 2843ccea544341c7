#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine. The prefix is VEXAV6_WINEPREFIX (./test keeps
# it inside the Windows build tree); the first use creates it. ./test starts the Wine session before
# ctest and stops it after, or Wine's background processes keep ctest's output pipe open.
set -u
here=$(cd "$(dirname "$0")" && pwd)
: "${VEXAV6_WINEPREFIX:=${XDG_CACHE_HOME:-$HOME/.cache}/vexav6/wineprefix}"
export WINEPREFIX="$VEXAV6_WINEPREFIX" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
if [ ! -f "$WINEPREFIX/.vexav6-ready" ]; then
    "$here/wine-prefix.sh" "$WINEPREFIX" || exit 1
fi
exec wine "$@"
