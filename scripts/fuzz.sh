#!/usr/bin/env bash
# Fuzzes the NTFS reader (src/ntfs) on Linux: clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer.   bash scripts/fuzz.sh [SECONDS]   (default 60)
# Builds build/fuzz, makes a small NTFS image (mkntfs and ntfs-3g, as root) unless
# NTFS_IMAGES names a folder that holds seed.img, turns it into a seed of the blocks the reader reads,
# and fuzzes for SECONDS on one core. The corpus grows in build/fuzz/corpus and is kept between
# runs. Exits non-zero on any finding (crash, leak, sanitizer report, hang of more than 10 s); the
# input that caused it is left in build/fuzz/ as crash-*, leak-* or timeout-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
root=$PWD
build=build/fuzz

bash scripts/setup.sh
[ -f "$build/build.ninja" ] || cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" >/dev/null

images=${NTFS_IMAGES:-}
if [ -z "$images" ]; then
    images=$PWD/$build/images
    python3 tests/ntfs/make_images.py "$images" seed
    trap 'python3 "$root/tests/ntfs/make_images.py" "$images" seed --unmount' EXIT
fi
seeds=$build/seeds
mkdir -p "$seeds" "$build/corpus"
# A small image with every structure the reader knows: larger ones would only slow the fuzzer.
"$build/ntfs_tool" seed "$images/seed.img" "$seeds/seed.seed"
# Inputs that once found a fault run first, every time.
cp "$root"/fuzz/regressions/*.seed "$seeds/"

cd "$build"
ASAN_OPTIONS=detect_leaks=1 ./ntfs_fuzz corpus seeds -max_total_time="$seconds" -max_len=262144 \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 2>&1 | tail -n 25
exit "${PIPESTATUS[0]}"
