#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test through CTest under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh
# Layout and static checks: a formatting or clang-tidy regression fails the run.
bash scripts/lint.sh
# Dependencies point one way, from app down to platform.
bash scripts/check-includes.sh

source scripts/wine-env.sh
# Tests use Wine's null graphics driver: real windows, no X server.
wine_prefix_ready "$TELLWICK_ROOT/build/wine-test" null
unset DISPLAY WAYLAND_DISPLAY
# Wine lists a drive letter, with its volume label, only if it exists when its mount manager
# starts; placeholders make the test letters exist, and each test points its letter at its own
# folder. X: carries the label GAMES.
for letter in p q r s t u v w x y; do
    mkdir -p "build/test-drives/$letter"
    ln -sfn "$TELLWICK_ROOT/build/test-drives/$letter" "$WINEPREFIX/dosdevices/$letter:"
done
echo GAMES >build/test-drives/x/.windows-label
# A persistent wineserver saves seconds per test program.
"$WINESERVER" -p 2>/dev/null || true  # already running for this prefix: keep using it
# Start Wine's own services now, detached from CTest's output pipes: a service started by the
# first test would hold its pipe open and CTest would wait for it.
"$WINE" cmd /c exit >/dev/null 2>&1 </dev/null
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT
# One program stays on the prefix's desktop for the whole run, so that the desktop is not closed
# and opened anew between test programs (tests/helpers/desktop_user.cpp says why); the server's
# end ends it.
"$WINE" build/release/tests/desktop_user.exe >/dev/null 2>&1 </dev/null &

# The window's layout at 150 % is tested in a prefix of its own, with its own server.
(
    wine_prefix_ready "$TELLWICK_ROOT/build/wine-test-hidpi" null 144
    "$WINESERVER" -p 2>/dev/null || true
    "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null
)
trap '"$WINESERVER" -k 2>/dev/null || true; WINEPREFIX="$TELLWICK_ROOT/build/wine-test-hidpi" "$WINESERVER" -k 2>/dev/null || true' EXIT

ctest --preset release -j2 "$@"
