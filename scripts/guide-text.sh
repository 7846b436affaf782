#!/usr/bin/env bash
# Prints a Markdown guide (default docs/user-guide.md) as the plain text that goes into the release
# zip as USER-GUIDE.txt, for reading in Notepad: UTF-8 with a byte-order mark, CRLF line ends, no
# Markdown marks. Headings are underlined ("=" for #, "-" for deeper levels), emphasis, code marks
# and code fences are dropped (the commands inside stay as they are, indented further), a link
# keeps its address in brackets, images and rules are left out (they only make sense on the web
# page), so are one-line comments (<!-- ... -->, notes for whoever edits the guide), and runs of
# blank lines become one.
set -euo pipefail
guide=${1:-$(dirname "$0")/../docs/user-guide.md}
# wc -L counts a Chinese character as two columns only in a UTF-8 locale.
export LC_ALL=C.UTF-8

printf '\xEF\xBB\xBF'
code= blank=
while IFS= read -r line || [ -n "$line" ]; do
    if [[ $line =~ ^[[:space:]]*\`\`\` ]]; then
        [ -n "$code" ] && code= || code=1
        continue
    fi
    if [ -n "$code" ]; then
        line="    $line"
    else
        [[ $line =~ ^!\[ || $line =~ ^---+$ || $line =~ ^\<!--.*--\>$ ]] && continue
        line=$(sed -E 's/\*\*([^*]+)\*\*/\1/g; s/`([^`]*)`/\1/g; s/\[([^]]+)\]\(([^)]+)\)/\1 (\2)/g' <<<"$line")
        if [[ $line =~ ^(#+)[[:space:]]+(.*)$ ]]; then
            title=${BASH_REMATCH[2]}
            mark='-'
            [ ${#BASH_REMATCH[1]} -eq 1 ] && mark='='
            width=$(printf '%s' "$title" | wc -L)
            printf '%s\r\n%s\r\n' "$title" "$(printf "%${width}s" '' | tr ' ' "$mark")"
            blank=
            continue
        fi
    fi
    if [ -z "${line// /}" ]; then
        [ -n "$blank" ] && continue
        blank=1
    else
        blank=
    fi
    printf '%s\r\n' "$line"
done <"$guide"
