#!/usr/bin/env bash
# Runs a test program under Wine as an ordinary user, so that the file system's permissions hold:
# root passes every check, and Wine as root writes read-only files and creates anything anywhere.
#   run_unprivileged.sh TEST.exe [test arguments...]
# As root the program runs as the user tellwick-test (scripts/setup.sh makes it) in a Wine prefix of
# that user's own (Wine refuses a prefix that another user owns), from a copy in that user's home,
# so that the checkout's place (/root is closed to others) does not matter. A developer who is no
# root already is such a user, and runs it in the prefix the other tests use.
set -euo pipefail
source "$(dirname "$0")/../scripts/wine-env.sh"
program=$1
shift
# The program fails, rather than skips, a test of a denial that it finds not enforced.
export TELLWICK_PERMISSIONS_ENFORCED=1
if [ "$(id -u)" -ne 0 ]; then
    exec "$WINE" "$program" "$@"
fi

user=tellwick-test
home=$(getent passwd "$user" | cut -d: -f6)
[ -n "$home" ] || {
    echo "run_unprivileged: no user $user; scripts/setup.sh makes it" >&2
    exit 1
}
# One folder per checkout: worktrees on one machine do not share a prefix or its server.
work="$home/tellwick-$(printf %s "$TELLWICK_ROOT" | cksum | cut -d' ' -f1)"
as_user() {
    runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin LANG="$LANG" \
        WINEDEBUG="$WINEDEBUG" WINEDLLOVERRIDES="$WINEDLLOVERRIDES" WINEARCH="$WINEARCH" \
        WINE="$WINE" WINESERVER="$WINESERVER" WINEPREFIX="$work/prefix" \
        TELLWICK_PERMISSIONS_ENFORCED="$TELLWICK_PERMISSIONS_ENFORCED" "$@"
}
install -d -o "$user" -g "$user" -m 700 "$work"
# The user may not be able to enter the folder CTest runs this from.
cd "$work"
# Tests run two at a time: the prefix is made once, under a lock.
as_user flock "$work/.lock" bash -c "$(declare -f wine_prefix_ready wine_fonts_in_prefix)
    wine_prefix_ready \"\$WINEPREFIX\" null" >/dev/null

copy=$(as_user mktemp -d "$work/run.XXXXXX")
trap 'rm -rf "$copy"' EXIT
install -o "$user" -g "$user" -m 755 "$program" "$copy/"
as_user "$WINE" "$copy/$(basename "$program")" "$@"
