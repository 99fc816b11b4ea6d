#!/usr/bin/env bash
# Builds the plug-in's benchmark and runs it under Wine: the real Ostrevane.asi in a stand-in
# game, each walk timed against a plain read of the same memory.
# Usage: tools/bench/plugin_bench.sh [--gib N] [--repeats R]
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
build=$root/build/bench-win64
mkdir -p "$build"
log=$build/plugin-bench-build.log
if ! cmake --workflow --preset bench-win64 >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "The build failed; the whole log is in $log" >&2
    exit 1
fi
sh "$root/tests/win32/wine_prefix.sh" "$build/wineprefix"
cd "$build"
WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    wine "$build/tests/win32/plugin_bench.exe" --ostrevane "$build/ostrevane.exe" "$@"
