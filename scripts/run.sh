#!/usr/bin/env bash
# Sets up, builds, prepares a scratch copy of the sample client install on drive D: of a
# project-local Wine prefix, and starts Tellwick.exe from that drive.
#   With a display ($DISPLAY set): the window opens on it; close it to end.
#   Without one: the window runs under Xvfb in a Wine virtual desktop, a screenshot is saved to
#   build/screenshots/tellwick.png, and the run ends.
# TELLWICK_DPI=144 runs it at 150 % display scale (screenshot: build/screenshots/tellwick-144dpi.png).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh >/dev/null

source scripts/wine-env.sh

# A fresh scratch copy every run: the tool changes the files it is given.
drive="$TELLWICK_ROOT/build/demo/drive"
rm -rf "$TELLWICK_ROOT/build/demo"
mkdir -p "$drive/Games/英雄联盟" "$drive/Tools"
cp -r sample/client/. "$drive/Games/英雄联盟/"
cp build/release/Tellwick.exe "$drive/Tools/"
echo "GAMES" >"$drive/.windows-label"

start_tool() {
    ln -sfn "$drive" "$WINEPREFIX/dosdevices/d:"
    # Started from D:, so D: is the drive the drive box shows selected.
    (cd "$drive/Tools" && "$WINE" 'D:\Tools\Tellwick.exe' "$@")
}

dpi=${TELLWICK_DPI:-96}
if [ -n "${DISPLAY:-}" ]; then
    wine_prefix_ready "$TELLWICK_ROOT/build/wine-run-$dpi" x11 "$dpi"
    start_tool
    exit 0
fi

wine_prefix_ready "$TELLWICK_ROOT/build/wine-shot-$dpi" desktop "$dpi"
shots="$TELLWICK_ROOT/build/screenshots"
mkdir -p "$shots"
export DISPLAY=:${TELLWICK_XVFB_DISPLAY:-97}
Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; "$WINESERVER" -k 2>/dev/null || true' EXIT
sleep 1
start_tool >/dev/null 2>&1 &
# The window is centred on the 800x600 desktop; give Wine time to start and paint it.
sleep "${TELLWICK_SHOT_DELAY:-6}"
# The window is 369x328 at 96 DPI, scaled with the display, and centred.
width=$(( (369 * dpi + 48) / 96 ))
height=$(( (328 * dpi + 48) / 96 ))
name=tellwick
[ "$dpi" = 96 ] || name="tellwick-${dpi}dpi"
import -window root "$shots/desktop.png"
convert "$shots/desktop.png" -crop "${width}x${height}+$(( (800 - width) / 2 ))+$(( (600 - height) / 2 ))" +repage \
    "$shots/$name.png"
echo "screenshot: $shots/$name.png"
