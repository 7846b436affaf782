#!/usr/bin/env bash
# The user guide as it goes into the release zip (scripts/guide-text.sh): plain text for Notepad,
# with a byte-order mark and CRLF line ends, no Markdown marks left, the commands kept whole and
# the headings underlined to their width.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
text=$(mktemp)
trap 'rm -f "$text"' EXIT
fail() {
    echo "guide_text_test: $*" >&2
    exit 1
}
bash "$root/scripts/guide-text.sh" "$root/docs/user-guide.md" >"$text"

[ "$(head -c 3 "$text" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "no byte-order mark"
[ "$(grep -c $'\r$' "$text")" = "$(wc -l <"$text")" ] || fail "a line does not end with CRLF"
body=$(tr -d '\r' <"$text")
! grep -n '\*\*\|`\|^#\|^!\[\|<!--' <<<"$body" || fail "Markdown marks are left (above)"
grep -qx '       LANG=zh_CN.UTF-8 wine Tellwick.exe' <<<"$body" || fail "a command lost its text or indent"
[ "$(grep -A1 -x '使用前' <<<"$body" | tail -n 1)" = '------' ] || fail "a Chinese heading is not underlined"
[ "$(grep -A1 -x 'Tellwick 1.4 user guide' <<<"$body" | tail -n 1)" = "$(printf '=%.0s' {1..23})" ] ||
    fail "a title is not underlined"
echo "guide_text_test: plain text, CRLF, headings underlined"
