#!/bin/sh
# Runs a program that shows windows, TEST, under Wine on a virtual display of its own, in the
# Wine prefix PREFIX kept for such programs. Wine's desktop process takes the display that the
# prefix's first program starts with and keeps it while the prefix's server runs, so this
# prefix is never shared with the tests that run without a display, and its server ends with
# the run.
# Usage: window_wine_test.sh PREFIX TEST [ARGUMENTS...]
set -eu
prefix=$1
shift
# No crash dialog (winedbg) on a display: a window that crashes ends, and its test fails then.
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    echo "Making the Wine prefix $prefix (once, about 15 s)"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
# A server left by a run that was stopped would hold a display that is gone.
wineserver -k 2>/dev/null || true
wineserver -w
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    wine "$@"
    status=$?
    wineserver -k
    exit $status' window_wine_test "$@"
