#!/usr/bin/env bash
# The lint fails, and says why, when clang-tidy is missing or crashes instead of reporting no finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

expect_failure() {
    local what=$1 message=$2 output
    shift 2
    if output=$(env "$@" LINT_BUILD_DIR="$scratch/build" bash "$root/scripts/lint.sh" 2>&1); then
        echo "FAIL: the lint passed with $what"
        exit 1
    fi
    grep -q "$message" <<<"$output" || { echo "FAIL: with $what: $output" | tail -n 5; exit 1; }
}

expect_failure "no clang-tidy" "clang-tidy-missing is not installed" CLANG_TIDY=clang-tidy-missing
printf '#!/bin/sh\nkill -SEGV $$\n' >"$scratch/clang-tidy"
chmod +x "$scratch/clang-tidy"
expect_failure "a crashing clang-tidy" "did not run through on src/" CLANG_TIDY="$scratch/clang-tidy"
echo "lint failure test: passed"
