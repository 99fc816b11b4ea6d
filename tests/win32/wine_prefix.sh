#!/bin/sh
# Makes the private Wine prefix the Wine tests and the demonstration run in, once, then
# starts its Wine server and background programs with their output sent nowhere, so that
# no test's output pipe is held open by them (ctest would wait on it forever).
# Usage: wine_prefix.sh PREFIX
set -eu
prefix=$1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    echo "Making the Wine prefix $prefix (once, about 15 s)"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
# Kept alive a minute after the last program, so the tests that follow find it running.
# (Fails, harmlessly, when a server is running already.)
wineserver -p60 </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1
