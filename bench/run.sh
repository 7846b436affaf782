#!/usr/bin/env bash
# The search benchmark in one command:  bash bench/run.sh [RUNS]
# Builds search_bench (build/bench), generates the synthetic drive once (build/bench-tree; fixed
# seed, so every run walks the same tree), maps it as drive P: in a Wine prefix of its own
# (build/wine-bench), and times the shipped search against the literal walk and the bare floor.
# Environment: BENCH_FOLDERS, BENCH_FILES and BENCH_SEED change the tree (it is regenerated
# when they differ from the last run).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}

source scripts/wine-env.sh
build="$TELLWICK_ROOT/build/bench"
tree="$TELLWICK_ROOT/build/bench-tree"

cmake --preset release -B "$build" >/dev/null
cmake --build "$build" --target search_bench

python3 bench/make_tree.py "$tree" --seed "${BENCH_SEED:-20240607}" \
    --folders "${BENCH_FOLDERS:-30000}" --files "${BENCH_FILES:-300000}"

wine_prefix_ready "$TELLWICK_ROOT/build/wine-bench" null
unset DISPLAY WAYLAND_DISPLAY
"$WINESERVER" -p
drive="$WINEPREFIX/dosdevices/p:"
ln -sfn "$tree" "$drive"
trap 'rm -f "$drive"; "$WINESERVER" -k 2>/dev/null || true' EXIT

"$WINE" "$build/bench/search_bench.exe" 'P:\' "$runs" </dev/null
