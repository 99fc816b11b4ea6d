#!/usr/bin/env bash
# Makes docs/settings-window.png, the README's picture of the settings window: the window
# opened on a default settings file in a game folder of its own, G:\Game, under Wine on a
# virtual display, with Wine drawing the title bar on a desktop of its own.
# Usage: tools/window_screenshot.sh [OUTPUT.png [SCALE [SCREEN]]]   (builds the win64 preset's
# programs first). SCALE is the display's scaling in percent, 100 unless given: other scales are
# made in a prefix of their own whose Windows reports 96 * SCALE / 100 dots per inch. SCREEN is
# the screen's size, unless given 1024x768 at 100 %, 1366x768 at 125 % and 1920x1080 else;
# the picture is the whole screen, the window as it opens there.
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-docs/settings-window.png}
scale=${2:-100}
build=build/win64
# A screen a player at that scaling may well have.
case $scale in
    100) screen=${3:-1024x768} ;;
    125) screen=${3:-1366x768} ;;
    *) screen=${3:-1920x1080} ;;
esac
desktop=$screen

tools/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target OstrevaneSettings ostrevane

# The prefix the window's test uses: its server runs only while a display does.
prefix=$PWD/$build/wineprefix-window
[ "$scale" = 100 ] || prefix=$PWD/$build/wineprefix-window-$scale
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
fi
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $((96 * scale / 100)) /f \
    >/dev/null 2>&1
wineserver -k 2>/dev/null || true
wineserver -w

work=$(mktemp -d)
xvfb=""
finish() {
    wineserver -k 2>/dev/null || true
    rm -f "$WINEPREFIX/dosdevices/g:"
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

# A display of its own: Xvfb picks a free number and writes it to descriptor 3.
Xvfb -displayfd 3 -screen 0 "${screen}x24" 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

# The game folder: the window beside the file the plug-in writes on its first run.
mkdir "$work/Game"
ln -sfn "$work" "$WINEPREFIX/dosdevices/g:"
cp "$build/OstrevaneSettings.exe" "$work/Game/"
wine "$build/ostrevane.exe" default --force -o "$work/Game/Ostrevane.ini" >/dev/null

(cd "$work/Game" && wine explorer "/desktop=shot,$desktop" 'G:\Game\OstrevaneSettings.exe' \
    >/dev/null 2>&1 &)
# The desktop's X window appears first; the dialog inside it takes a moment more to draw.
for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"shot' && break
    sleep 0.2
done
sleep 3
xwd -root -silent >"$work/screen.xwd"
# -strip: no timestamps, so the picture changes only when the window does.
convert "$work/screen.xwd" -crop "$desktop+0+0" +repage -strip "$output"
echo "Wrote $output"
