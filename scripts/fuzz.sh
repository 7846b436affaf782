#!/usr/bin/env bash
# Fuzzes the NTFS reader (src/ntfs) on Linux: clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer. Builds build/fuzz first.
#
#   bash scripts/fuzz.sh SECONDS   the open-ended search (default 60 s). Starts from the committed
#                                  corpus (fuzz/corpus.tar.xz, fuzz/regressions) and a seed of a small
#                                  filled image (mkntfs and ntfs-3g, as root, unless NTFS_IMAGES
#                                  names a folder that holds seed.img); what it learns grows in
#                                  build/fuzz/corpus and is kept between runs.
#   bash scripts/fuzz.sh --fixed   the test command's run: a fixed seed and number of runs over the
#                                  committed corpus only, so every run of one commit does the same.
#   bash scripts/fuzz.sh --corpus  remakes fuzz/corpus.tar.xz: one image of every geometry mkntfs
#                                  makes (sectors of 512 to 4096 bytes, clusters of 512 bytes to
#                                  64 KB, records of 1024 and 4096 bytes) and the small filled image,
#                                  each as the blocks the reader reads (1.7 MB, 14 KB packed).
#
# Exits non-zero on any finding (crash, leak, sanitizer report, hang of more than 10 s); the input
# that caused it is left in build/fuzz/ as crash-*, leak-* or timeout-*. To keep a finding: fix the
# reader, then copy the input to fuzz/regressions/WHAT-IT-BROKE.seed and commit it; from then on
# every run, the fixed one too, starts with it. `build/fuzz/ntfs_tool stats INPUT.seed` (on a seed,
# not an image: it reads it as the fuzzer does) says whether and why the reader gives up.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build/fuzz
# The fixed run: about a minute on the 2-core test machine.
fixed_seed=17
fixed_runs=${FUZZ_FIXED_RUNS:-100000}

bash scripts/setup.sh
[ -f "$build/build.ninja" ] || cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" >/dev/null

# The fixed run also turns off address randomisation: libFuzzer learns from the operands of
# comparisons, pointers among them, so different addresses would lead it to different mutations.
norandom=
fuzz() {
    ASAN_OPTIONS=detect_leaks=1 $norandom "$root/$build/ntfs_fuzz" -dict="$root/fuzz/ntfs.dict" -max_len=262144 \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$@" 2>&1 | grep -v " # Uses: " | tail -n 25
    return "${PIPESTATUS[0]}"
}

# The committed corpus, unpacked afresh each run: nothing a run adds ends up in it.
committed=$build/committed
unpack() {
    rm -rf "$committed"
    mkdir -p "$committed"
    tar -xJf fuzz/corpus.tar.xz -C "$committed"
}

# A small image with every structure the reader knows: larger ones would only slow the fuzzer.
filled_image() {
    local images=${NTFS_IMAGES:-}
    if [ -z "$images" ]; then
        images=$root/$build/images
        python3 tests/ntfs/make_images.py "$images" seed
        python3 tests/ntfs/make_images.py "$images" seed --unmount
    fi
    echo "$images/seed.img"
}

case "${1:-60}" in
--fixed)
    # New inputs go to a fresh folder, so the committed corpus is all the run starts from.
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    unpack
    norandom="setarch $(uname -m) -R"
    cd "$build"
    fuzz -seed="$fixed_seed" -runs="$fixed_runs" -reload=0 "$scratch" "$root/fuzz/regressions" committed
    ;;
--corpus)
    images=$(mktemp -d)
    rm -rf "$committed"
    mkdir -p "$committed"
    for sector in 512 1024 2048 4096; do
        for cluster in 512 1024 2048 4096 8192 16384 32768 65536; do
            [ "$cluster" -ge "$sector" ] || continue
            image=$images/s$sector-c$cluster.img
            truncate -s 8M "$image"
            mkntfs -F -q -f -T -s "$sector" -c "$cluster" -L fuzz "$image" >/dev/null
            "$build/ntfs_tool" seed "$image" "$committed/geometry-s$sector-c$cluster.seed"
        done
    done
    rm -rf "$images"
    "$build/ntfs_tool" seed "$(filled_image)" "$committed/filled.seed"
    # Packed the same way every time, so that an unchanged corpus is an unchanged file.
    tar -C "$committed" --sort=name --mtime=@0 --owner=0 --group=0 --numeric-owner -cf - . | xz -9e >fuzz/corpus.tar.xz
    du -b fuzz/corpus.tar.xz
    ;;
*)
    seconds=$1
    mkdir -p "$build/seeds" "$build/corpus"
    "$build/ntfs_tool" seed "$(filled_image)" "$build/seeds/filled.seed"
    unpack
    cd "$build"
    fuzz -max_total_time="$seconds" corpus seeds "$root/fuzz/regressions" committed
    ;;
esac
