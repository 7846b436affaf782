#!/usr/bin/env bash
# bash scripts/run.sh --client DIR as a Wine user runs it, on a game folder whose path holds spaces
# and Chinese names: the letter the script prints is in the drive box, choosing it finds the client
# there (run_client_check.exe, given as $1, checks both from inside Wine), closing the window ends
# the script, and the folder is left exactly as it was. The script runs with a display of its own
# (Xvfb), so the tool stays up until the check closes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
check=$1

work=$(mktemp -d)
client="$work/My Games 我的游戏"
mkdir -p "$client/英雄联盟"
cp -r "$root/sample/client/." "$client/英雄联盟/"
# Every entry with its type, mode, size and time, and every file's content.
snapshot() {
    cd "$client" && export LC_ALL=C && find . -printf '%y %m %s %T@ %p\n' | sort && find . -type f -exec sha256sum {} + | sort -k2
}
before=$(snapshot)

source "$root/scripts/wine-env.sh"
unset TELLWICK_DPI
# A program of the prefix already running, as the game or its launcher may be: the new letter
# shows only once the script has restarted the prefix's server.
wine_prefix_ready "$root/build/wine-run-96" x11 96
"$WINE" "$(dirname "$check")/idle_child.exe" >/dev/null 2>&1 &
xvfb= run= letter=
cleanup() {
    [ -z "$run" ] || kill "$run" 2>/dev/null || true
    "$WINESERVER" -k 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    local link="$WINEPREFIX/dosdevices/${letter,,}:"
    [ -z "$letter" ] || [ "$(readlink "$link")" != "$client" ] || rm -f "$link"
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "run_client_test: $*" >&2
    exit 1
}

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")

: >"$work/run.out"
bash "$root/scripts/run.sh" --client "$client" >"$work/run.out" 2>&1 &
run=$!
while [ -z "$letter" ]; do
    letter=$(sed -n 's/^run: \([D-Y]\): is \(.*\) (Wine prefix .*)$/\1 \2/p' "$work/run.out")
    if [ -n "$letter" ]; then
        [ "${letter#? }" = "$client" ] || fail "run.sh printed another folder: ${letter#? }"
        letter=${letter%% *}
        break
    fi
    kill -0 "$run" 2>/dev/null || { cat "$work/run.out" >&2; fail "run.sh ended without printing a drive letter"; }
    sleep 0.25
done

TELLWICK_CLIENT_DRIVE=$letter TELLWICK_CLIENT_ROOT="$letter:\\英雄联盟" "$WINE" "$check" --gtest_color=no ||
    fail "the drive box check failed"
wait "$run" || fail "run.sh ended with exit code $?"
run=
after=$(snapshot)
[ "$before" = "$after" ] || { diff <(echo "$before") <(echo "$after") >&2; fail "the client folder changed"; }
echo "run_client_test: drive $letter listed, client found, folder unchanged"
