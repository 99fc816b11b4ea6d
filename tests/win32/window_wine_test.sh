#!/bin/sh
# Runs a program that shows windows, TEST, under Wine on a virtual display of its own, in the
# Wine prefix PREFIX kept for such programs: first every case on a 1024x768 screen at 100 %,
# then the cases named "*OnThisScreen" on each other screen a player may have, its size Xvfb's
# and its scaling the prefix's (LogPixels), which the test is told in OSTREVANE_SCREEN_DPI.
# Wine's desktop process takes the display that the prefix's first program starts with and
# keeps it while the prefix's server runs, so this prefix is never shared with the tests that
# run without a display, and its server ends with each run.
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

# run SCREEN DPI [ARGUMENTS...]: the test on a screen of that size and scaling.
run() {
    screen=$1 dpi=$2
    shift 2
    # A server left by a run that was stopped would hold a display that is gone.
    wineserver -k 2>/dev/null || true
    wineserver -w
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
        >/dev/null 2>&1
    wineserver -w
    echo "On a ${screen} screen at $((dpi * 100 / 96)) %"
    OSTREVANE_SCREEN_DPI=$dpi xvfb-run -a -s "-screen 0 ${screen}x24" sh -c '
        wine "$@"
        status=$?
        wineserver -k
        exit $status' window_wine_test "$@"
}

status=0
run 1024x768 96 "$@" || status=1
for screen in 1366x768:120 1920x1080:192 1600x1200:192; do
    run "${screen%:*}" "${screen#*:}" "$@" --gtest_filter='*OnThisScreen' || status=1
done
# The prefix left at 100 %, as the next run and the screenshots expect it.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
wineserver -k 2>/dev/null || true
exit $status
