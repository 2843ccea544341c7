#!/usr/bin/env bash
# The window mode's start-up benchmark, under Wine with a private Xvfb: the time from starting the
# program to its main window shown and answering, for the window mode over the simulated demo
# machine with the full oui.db (vexav6_demo.exe), and for vexav6.exe itself on Wine's own machine,
# each against a program that only opens a window (minimal_window.exe), in the same run; then the
# demo against the same minimal program loading the program's system libraries and manifest
# (minimal_window_dlls.exe), which tells what loading those libraries costs under Wine.
# Usage: bench/window-start.sh [runs]   (after cmake --build --preset windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-10}
build=$root/build-windows
for f in bench/window_start/start_timer.exe bench/window_start/minimal_window.exe \
         bench/window_start/minimal_window_dlls.exe \
         bench/window_start/vexav6_demo.exe src/app/vexav6.exe src/app/oui.db; do
    [ -f "$build/$f" ] || { echo "missing $build/$f: build the windows preset first" >&2; exit 1; }
done

export VEXAV6_WINEPREFIX=$build/wineprefix
export WINEPREFIX=$VEXAV6_WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=:$display
work=$(mktemp -d)
cleanup() { wineserver -k >/dev/null 2>&1 || true; kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
cmake/wine-prefix.sh "$WINEPREFIX"
wineserver -p
wine wineboot >/dev/null 2>&1 || true

# Each program in a folder of its own with the full vendor database beside it, stripped of its
# debugging information as ./package ships it (the RelWithDebInfo build carries tens of MB of it,
# which Wine reads at every start).
mkdir -p "$work/demo" "$work/real" "$work/minimal"
strip=x86_64-w64-mingw32-strip
cp "$build/src/app/oui.db" "$work/demo/"
cp "$build/src/app/oui.db" "$build/src/app/CLIHelp.txt" "$work/real/"
$strip -o "$work/demo/vexav6_demo.exe" "$build/bench/window_start/vexav6_demo.exe"
$strip -o "$work/real/vexav6.exe" "$build/src/app/vexav6.exe"
$strip -o "$work/minimal/minimal_window.exe" "$build/bench/window_start/minimal_window.exe"
$strip -o "$work/minimal/minimal_window_dlls.exe" "$build/bench/window_start/minimal_window_dlls.exe"
export VEXAV6_MACHINE="Z:$root/tests/fixtures/machines/demo.json"
export VEXAV6_PROGRAM_FOLDER="Z:$work/demo"
timer="$build/bench/window_start/start_timer.exe"
minimal="Z:$work/minimal/minimal_window.exe"

echo "== window mode on the simulated demo machine (full oui.db) against a minimal window"
wine "$timer" "$runs" "Z:$work/demo/vexav6_demo.exe" Vexav6.frmMain \
    "$minimal" MinimalWindow 2>/dev/null | tr -d '\r'
echo
echo "== vexav6.exe on Wine's own machine (full oui.db) against a minimal window"
wine "$timer" "$runs" "Z:$work/real/vexav6.exe" Vexav6.frmMain "$minimal" MinimalWindow \
    2>/dev/null | tr -d '\r'
echo
echo "== the same demo against a minimal window that loads the program's system libraries"
wine "$timer" "$runs" "Z:$work/demo/vexav6_demo.exe" Vexav6.frmMain \
    "Z:$work/minimal/minimal_window_dlls.exe" MinimalWindow 2>/dev/null | tr -d '\r'
