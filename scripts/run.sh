#!/usr/bin/env bash
# Sets up, builds, prepares a scratch copy of the sample client install on drive D: of a
# project-local Wine prefix, and starts Tellwick.exe from that drive.
#   With a display ($DISPLAY set): the window opens on it; close it to end.
#   Without one: the window runs under Xvfb in a Wine virtual desktop, a screenshot is saved to
#   build/screenshots/tellwick.png, and the run ends.
# TELLWICK_DPI=144 runs it at 150 % display scale (screenshot: build/screenshots/tellwick-144dpi.png).
#
# bash scripts/run.sh --client DIR   maps your own game folder DIR (a Linux path) as a free drive
# letter of the same prefix, prints the letter, and starts the tool from the build folder; pick the
# letter in the drive box. Nothing is written into DIR. The prefix's server is restarted so that
# Wine lists the new letter, which ends any program still running in that prefix. Without a
# display the screenshot is build/screenshots/tellwick-client.png.
set -euo pipefail

client=
while [ $# -gt 0 ]; do
    case $1 in
        --client)
            [ $# -ge 2 ] || { echo "run: --client needs a folder" >&2; exit 2; }
            client=$2
            shift 2
            ;;
        *)
            echo "usage: bash scripts/run.sh [--client DIR]" >&2
            exit 2
            ;;
    esac
done
if [ -n "$client" ]; then
    [ -d "$client" ] || { echo "run: $client is not a folder" >&2; exit 2; }
    # Resolved before the working directory changes, so a relative path means what the user meant.
    client=$(realpath "$client")
fi

cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh >/dev/null

source scripts/wine-env.sh

drive="$TELLWICK_ROOT/build/demo/drive"
if [ -z "$client" ]; then
    # A fresh scratch copy every run: the tool changes the files it is given.
    rm -rf "$TELLWICK_ROOT/build/demo"
    mkdir -p "$drive/Games/英雄联盟" "$drive/Tools"
    cp -r sample/client/. "$drive/Games/英雄联盟/"
    cp build/release/Tellwick.exe "$drive/Tools/"
    echo "GAMES" >"$drive/.windows-label"
fi

# The letter already mapped to the client folder, else the first one from D to Y that is unused or
# left pointing at a folder that is gone.
client_letter() {
    local devices="$WINEPREFIX/dosdevices" letter
    for letter in {d..y}; do
        [ "$(readlink "$devices/$letter:" 2>/dev/null)" = "$client" ] && { echo "$letter"; return; }
    done
    for letter in {d..y}; do
        if [ ! -e "$devices/$letter:" ]; then
            ln -sfn "$client" "$devices/$letter:"
            echo "$letter"
            return
        fi
    done
    echo "run: no free drive letter in $WINEPREFIX/dosdevices" >&2
    return 1
}

# Points the tool's drive at its folder: D: at the demo copy, or a letter at the client folder.
map_drive() {
    if [ -z "$client" ]; then
        ln -sfn "$drive" "$WINEPREFIX/dosdevices/d:"
        return
    fi
    local letter
    letter=$(client_letter)
    # Wine reads its drive list when the prefix's server starts.
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w
    echo "run: ${letter^^}: is $client (Wine prefix $WINEPREFIX)"
}

# With quiet set, Wine's own output stays off the terminal.
quiet=
start_tool() {
    local folder=$drive/Tools exe='D:\Tools\Tellwick.exe'
    # The demo starts from D:, so D: is the drive the drive box shows selected; the client folder
    # gets no copy of the executable, which starts from the build folder.
    [ -z "$client" ] || { folder=build/release; exe=Tellwick.exe; }
    if [ -n "$quiet" ]; then
        (cd "$folder" && "$WINE" "$exe" >/dev/null 2>&1)
    else
        (cd "$folder" && "$WINE" "$exe")
    fi
}

dpi=${TELLWICK_DPI:-96}
if [ -n "${DISPLAY:-}" ]; then
    wine_prefix_ready "$TELLWICK_ROOT/build/wine-run-$dpi" x11 "$dpi"
    map_drive
    start_tool
    exit 0
fi

wine_prefix_ready "$TELLWICK_ROOT/build/wine-shot-$dpi" desktop "$dpi"
map_drive
shots="$TELLWICK_ROOT/build/screenshots"
mkdir -p "$shots"
# Xvfb takes a display no other X server holds, so that this run can stand beside another, and
# writes its number once it accepts clients.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$display_file"; "$WINESERVER" -k 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    kill -0 $xvfb 2>/dev/null || break
    sleep 0.1
done
[ -s "$display_file" ] || { echo "run: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$display_file")
quiet=1
start_tool &
# The window is centred on the 800x600 desktop; give Wine time to start and paint it.
sleep "${TELLWICK_SHOT_DELAY:-6}"
# The window is 369x328 at 96 DPI, scaled with the display, and centred.
width=$(( (369 * dpi + 48) / 96 ))
height=$(( (328 * dpi + 48) / 96 ))
name=tellwick
[ -z "$client" ] || name=tellwick-client
[ "$dpi" = 96 ] || name="$name-${dpi}dpi"
import -window root "$shots/desktop.png"
convert "$shots/desktop.png" -crop "${width}x${height}+$(( (800 - width) / 2 ))+$(( (600 - height) / 2 ))" +repage \
    "$shots/$name.png"
echo "screenshot: $shots/$name.png"
