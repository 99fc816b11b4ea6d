#!/usr/bin/env bash
# Builds the Windows plug-in and shows what a player would see: the real Ostrevane.asi
# runs in a stand-in game under Wine, from an empty game folder, headless, and the game is
# checked with ostrevane.exe scan before F8 and after the swap.
# Usage: tools/demo/demo.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"

tools/install-deps.sh

build=$root/build/win64
mkdir -p "$build"
log=$build/demo-build.log
echo "Building the plug-in and the stand-in game (the first build takes a minute or two)..."
if ! { cmake --preset win64 && cmake --build --preset win64 --target Ostrevane ostrevane ostrevane_demo; } \
    >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "The build failed; the whole log is in $log" >&2
    exit 1
fi
echo "Built $build/Ostrevane.asi"

sh "$root/tests/win32/wine_prefix.sh" "$build/wineprefix"

game=$build/demo-game
rm -rf "$game"
mkdir -p "$game"
cd "$game"
echo
WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    wine "$build/tests/win32/ostrevane_demo.exe" --demo "$build/ostrevane.exe"
echo
echo "The settings file the plug-in wrote is in $game"
echo "To scan the stand-in game by hand: see \"Demonstration\" in docs/DEVELOPING.md."
