#!/usr/bin/env bash
# Fails when a source file includes a header of a layer it must not know: dependencies point one
# way, from app at the top down to platform; ntfs (the file-table reader) stands alone and only
# locate uses it. Prints each wrong include as FILE:LINE: from -> to.
#   check-includes.sh [SRC_DIR]   (default: src)
set -euo pipefail
cd "$(dirname "$0")/.."
src=${1:-src}

# The layers each layer may include, besides its own.
declare -A allowed=(
    [app]="locate tuning win core platform"
    [locate]="core platform ntfs"
    [tuning]="core platform"
    [win]="platform"
    [core]="platform"
    [platform]=""
    [ntfs]=""
)
# core knows nothing of the platform but its text type.
core_platform_headers="platform/text.h"

wrong=0
while IFS= read -r file; do
    layer=${file#"$src"/}
    layer=${layer%%/*}
    if [ -z "${allowed[$layer]+set}" ]; then
        echo "$file: a folder the include check does not know: add it with its allowed layers"
        wrong=$((wrong + 1))
        continue
    fi
    while IFS=: read -r line header; do
        target=${header%%/*}
        [ "$target" = "$layer" ] && continue
        ok=0
        for a in ${allowed[$layer]}; do [ "$a" = "$target" ] && ok=1; done
        if [ "$layer" = core ] && [ "$target" = platform ]; then
            ok=0
            for h in $core_platform_headers; do [ "$h" = "$header" ] && ok=1; done
        fi
        if [ "$ok" -eq 0 ]; then
            echo "$file:$line: $layer -> $header"
            wrong=$((wrong + 1))
        fi
    done < <(grep -n -o -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$file" |
        sed -E 's/^([0-9]+):.*"([^"]+)"/\1:\2/')
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if [ "$wrong" -gt 0 ]; then
    echo "include check: $wrong include(s) point the wrong way"
    exit 1
fi
echo "include check: every include points down"
