#!/usr/bin/env bash
# The NTFS file table against the walk, in one command:  bash bench/ntfs.sh [RUNS]
# Builds ntfs_bench (build/bench), generates the benchmark's synthetic tree once (as bench/run.sh
# does), copies it into an NTFS image (build/bench-ntfs.img: mkntfs, then ntfs-3g; as root), and
# in the Wine prefix build/wine-bench maps the image as the device of drive P (so that \\.\P:
# opens it) and its read-only ntfs-3g mount as P's folder. Ends with "reader/walk = R".
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}

source scripts/wine-env.sh
build="$TELLWICK_ROOT/build/bench"
tree="$TELLWICK_ROOT/build/bench-tree"
image="$TELLWICK_ROOT/build/bench-ntfs.img"
mount="$TELLWICK_ROOT/build/bench-ntfs.mnt"

cmake --preset release -B "$build" >/dev/null
cmake --build "$build" --target ntfs_bench

python3 bench/make_tree.py "$tree" --seed "${BENCH_SEED:-20240607}" \
    --folders "${BENCH_FOLDERS:-30000}" --files "${BENCH_FILES:-300000}"

mkdir -p "$mount"
mountpoint -q "$mount" && umount "$mount"
# The image is remade when the tree is newer than it.
stamp=$(find "$tree" -maxdepth 0 -printf '%T@')
if [ ! -f "$image" ] || [ "$(cat "$image.stamp" 2>/dev/null)" != "$stamp" ]; then
    echo "bench: copying the tree into an NTFS image (minutes)"
    rm -f "$image" "$image.stamp"
    truncate -s 2G "$image"
    mkntfs -F -q -f -L bench "$image" >/dev/null 2>&1
    ntfs-3g "$image" "$mount"
    cp -r "$tree/." "$mount/"
    umount "$mount"
    echo "$stamp" >"$image.stamp"
fi
ntfs-3g -o ro "$image" "$mount"

wine_prefix_ready "$TELLWICK_ROOT/build/wine-bench" null
unset DISPLAY WAYLAND_DISPLAY
"$WINESERVER" -p
ln -sfn "$mount" "$WINEPREFIX/dosdevices/p:"
ln -sfn "$image" "$WINEPREFIX/dosdevices/p::"
trap 'rm -f "$WINEPREFIX/dosdevices/p:" "$WINEPREFIX/dosdevices/p::"; "$WINESERVER" -k 2>/dev/null || true; umount "$mount"' EXIT

"$WINE" "$build/bench/ntfs_bench.exe" "$runs" </dev/null
