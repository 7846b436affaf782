#!/usr/bin/env bash
# The include-direction check passes on the real tree and fails on an include that points upwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
check="$root/scripts/check-includes.sh"

bash "$check" "$root/src" >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/src/core" "$scratch/src/platform" "$scratch/src/app"
printf '#pragma once\n#include "platform/text.h"\n' >"$scratch/src/core/texts.h"
printf '#include "core/texts.h"\n' >"$scratch/src/app/main.cpp"
bash "$check" "$scratch/src" >/dev/null || { echo "FAIL: a sound tree was refused"; exit 1; }

# platform knowing the commands' layer, and core knowing more of platform than its text type.
printf '#include "core/texts.h"\n' >"$scratch/src/platform/files.cpp"
printf '#include "platform/files.h"\n' >"$scratch/src/core/report.h"
if output=$(bash "$check" "$scratch/src"); then
    echo "FAIL: wrong includes passed"
    exit 1
fi
grep -q 'platform/files.cpp:1: platform -> core/texts.h' <<<"$output" || { echo "FAIL: $output"; exit 1; }
grep -q 'core/report.h:1: core -> platform/files.h' <<<"$output" || { echo "FAIL: $output"; exit 1; }
echo "include check test: passed"
