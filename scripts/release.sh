#!/usr/bin/env bash
# Builds the release package: dist/Tellwick-<version>-win64.zip (Tellwick.exe, the user guide and
# the licence) and its SHA-256 file. Checks that the executable imports only Windows' KnownDLLs
# and carries the protections Windows offers, signs it when given a certificate, and checks that it
# starts and closes cleanly under Wine from the unpacked package.
# The unsigned package depends only on the sources of the last commit: built again from the same
# commit, anywhere and at any time, it has the same bytes.
#   scripts/release.sh            build, check and package
#   scripts/release.sh --verify   then build it once more from a fresh clone of the last commit, in
#                                 another folder, time zone and umask, and compare the bytes
#   RELEASE_BUILD_DIR     build folder to use instead of the release preset's build/release
#   SOURCE_DATE_EPOCH     the time written into the executable and the zip (default: the last commit's)
#   TELLWICK_SIGN_PFX, TELLWICK_SIGN_PASSWORD   sign Tellwick.exe with this certificate (scripts/sign.sh
#                         lists the other signing settings); without them it stays unsigned
#   RELEASE_START_CHECK=no   leave out the start under Wine (the --verify rebuild does)
set -euo pipefail
cd "$(dirname "$0")/.."

verify=no
case "${1:-}" in
    "") ;;
    --verify) verify=yes ;;
    *)
        echo "usage: scripts/release.sh [--verify]" >&2
        exit 2
        ;;
esac

bash scripts/setup.sh

version=$(sed -n 's/^project(Tellwick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=Tellwick-$version-win64
build=$(realpath -m "${RELEASE_BUILD_DIR:-build/release}")

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || {
        echo "release: no git history to take the build time from; set SOURCE_DATE_EPOCH" >&2
        exit 1
    }
fi
export SOURCE_DATE_EPOCH
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    if [ "$verify" = yes ]; then
        echo "release: --verify rebuilds the last commit, but the work tree has uncommitted changes" >&2
        exit 1
    fi
    echo "release: warning: the work tree has uncommitted changes; no one can rebuild this package" >&2
fi

# The linker writes SOURCE_DATE_EPOCH as the link time, so the executable is always linked anew.
cmake --preset release -B "$build" >/dev/null
rm -f "$build/Tellwick.exe"
targets=(Tellwick)
[ "${RELEASE_START_CHECK:-yes}" = no ] || targets+=(start_check)
cmake --build "$build" --target "${targets[@]}"

# --- Package -------------------------------------------------------------------------------------
stage=$build/package/$name
rm -rf "$build/package" "$build/package-signed"
mkdir -p "$stage" dist
# Symbols only matter to a debugger; without them the executable is a third of the size.
x86_64-w64-mingw32-strip --strip-all -o "$stage/Tellwick.exe" "$build/Tellwick.exe"
# Notepad shows Markdown marks as they are: the guide goes in as plain text, with the byte-order
# mark and CRLF line ends that Notepad reads reliably.
bash scripts/guide-text.sh docs/user-guide.md >"$stage/USER-GUIDE.txt"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"

# --- Only KnownDLLs, and the protections ---------------------------------------------------------
# A DLL that is not a KnownDLL is searched for beside the executable first: whoever can write to the
# Downloads folder would run code in the tool, with administrator rights when the user gives them.
exe=$stage/Tellwick.exe
header=$(x86_64-w64-mingw32-objdump -p "$exe")
declare -A known
while read -r dll; do known[$dll]=1; done < <(grep -v '^#' scripts/known-dlls.txt)
mapfile -t dlls < <(sed -n 's/^\s*DLL Name: //p' <<<"$header")
problems=()
[ ${#dlls[@]} -gt 0 ] || problems+=("no import table found")
for dll in "${dlls[@]}"; do
    [ -n "${known[${dll,,}]:-}" ] || problems+=("imports $dll, which is not a KnownDLL")
done
for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
    grep -qE "^\s+$flag$" <<<"$header" || problems+=("$flag is not set")
done
sections=$(x86_64-w64-mingw32-objdump -h "$exe")
grep -q ' \.reloc ' <<<"$sections" || problems+=("no relocations, so no address randomisation")
subsystem=$(awk '/^MajorSubsystemVersion/ { major = $2 } /^MinorSubsystemVersion/ { minor = $2 }
                 END { print major "." minor }' <<<"$header")
[ "$subsystem" = 6.1 ] || problems+=("subsystem version $subsystem instead of 6.1 (Windows 7)")
if [ ${#problems[@]} -gt 0 ]; then
    printf "release: $exe: %s\n" "${problems[@]}" >&2
    exit 1
fi
echo "release: imports ${dlls[*]}; DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT; subsystem $subsystem"

# Fixed times (SOURCE_DATE_EPOCH, stored in UTC), modes and order, and no extra file attributes:
# the same files give the same zip whatever the clock, time zone and umask.
zip_folder() {
    local folder=$1 zip=$2
    find "$folder" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
    chmod 755 "$folder/Tellwick.exe"
    find "$folder" -exec touch -d "@$SOURCE_DATE_EPOCH" {} +
    rm -f "$zip"
    (cd "$(dirname "$folder")" && TZ=UTC zip -q -X -9 "$zip" "$name/" "$name/Tellwick.exe" "$name/USER-GUIDE.txt" \
        "$name/LICENSE.txt")
}
unsigned_zip=$build/package/$name.zip
zip_folder "$stage" "$unsigned_zip"

zip=$PWD/dist/$name.zip
rm -f "$zip" "$zip.sha256"
if [ -n "${TELLWICK_SIGN_PFX:-}" ]; then
    signed=$build/package-signed/$name
    mkdir -p "$(dirname "$signed")"
    cp -r "$stage" "$signed"
    bash scripts/sign.sh "$signed/Tellwick.exe"
    zip_folder "$signed" "$zip"
else
    echo "release: TELLWICK_SIGN_PFX is not set; Tellwick.exe stays unsigned"
    cp "$unsigned_zip" "$zip"
fi
(cd dist && sha256sum "$name.zip" >"$name.zip.sha256" && sha256sum --quiet -c "$name.zip.sha256")

# --- Starts and closes cleanly under Wine from the unpacked zip ----------------------------------
cleanup=()
trap 'for step in "${cleanup[@]}"; do eval "$step"; done' EXIT
if [ "${RELEASE_START_CHECK:-yes}" != no ]; then
    unpacked=$build/package-check
    rm -rf "$unpacked"
    mkdir -p "$unpacked"
    unzip -q "$zip" -d "$unpacked"
    source scripts/wine-env.sh
    wine_prefix_ready "$TELLWICK_ROOT/build/wine-release" null
    unset DISPLAY WAYLAND_DISPLAY
    cleanup+=('"$WINESERVER" -k 2>/dev/null || true')
    # The start-up error box has the window's caption too; only the main window's class counts.
    status=0
    report=$(cd "$unpacked/$name" && "$WINE" "$build/tests/start_check.exe" Tellwick.exe TellwickMainWindow \
        "Tellwick$version" 2>&1 </dev/null) || status=$?
    grep '^start_check:' <<<"$report" || true
    if [ "$status" -ne 0 ]; then
        echo "release: Tellwick.exe from the package did not start and close cleanly (exit code $status)" >&2
        exit 1
    fi
fi

echo "release: dist/$name.zip ($(stat -c %s "$zip") bytes)"
cat "dist/$name.zip.sha256"
[ "$verify" = yes ] || exit 0

# --- Rebuilt from a fresh clone, elsewhere, later, in another time zone and umask ---------------
# The unsigned package is compared: a signature is the one thing a rebuild cannot make.
elsewhere=$(mktemp -d "${TMPDIR:-/tmp}/tellwick-verify.XXXXXX")
cleanup+=('rm -rf "$elsewhere"')
git clone -q --no-hardlinks "$PWD" "$elsewhere/src"
git -C "$elsewhere/src" checkout -q --detach "$(git rev-parse HEAD)"
[ "$(date +%z)" = +0800 ] && zone=UTC+5 || zone=CST-8
[ "$(umask)" = 0077 ] && mask=0022 || mask=0077
echo "release: building again in $elsewhere/src with TZ=$zone and umask $mask"
(
    umask "$mask"
    cd "$elsewhere/src"
    env -u TELLWICK_SIGN_PFX -u TELLWICK_SIGN_PASSWORD -u RELEASE_BUILD_DIR TZ="$zone" RELEASE_START_CHECK=no \
        bash scripts/release.sh >"$elsewhere/release.log" 2>&1
) || {
    tail -n 20 "$elsewhere/release.log" >&2
    echo "release: the rebuild failed" >&2
    exit 1
}
again=$elsewhere/src/build/release/package
same=yes
for file in "$name/Tellwick.exe" "$name.zip"; do
    if cmp -s "$build/package/$file" "$again/$file"; then
        echo "release: identical: $file ($(sha256sum <"$again/$file" | cut -c1-64))"
    else
        echo "release: DIFFERENT: $file ($(cmp "$build/package/$file" "$again/$file" | head -n 1))" >&2
        same=no
    fi
done
[ "$same" = yes ] || exit 1
echo "release: --verify: the rebuild has the same bytes"
