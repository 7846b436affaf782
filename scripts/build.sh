#!/usr/bin/env bash
# Configures and builds the release preset (Tellwick.exe and the tests).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/release/build.ninja ] || cmake --preset release >/dev/null
cmake --build --preset release "$@"
