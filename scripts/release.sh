#!/usr/bin/env bash
# Builds the release package: dist/Tellwick-<version>-win64.zip (Tellwick.exe, the user guide and
# the licence) and its SHA-256 file, then checks that the executable needs only Windows' own DLLs and
# that it starts under Wine from the unpacked package.
#   RELEASE_BUILD_DIR   build folder to use instead of the release preset's build/release
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

version=$(sed -n 's/^project(Tellwick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=Tellwick-$version-win64
if [ -n "${RELEASE_BUILD_DIR:-}" ]; then
    build=$RELEASE_BUILD_DIR
    cmake --preset release -B "$build" >/dev/null
    cmake --build "$build" --target Tellwick
else
    build=build/release
    bash scripts/build.sh --target Tellwick
fi
exe=$build/Tellwick.exe

# --- Only Windows' own DLLs ----------------------------------------------------------------------
# The executable is linked statically; a mingw runtime DLL here would be missing on users' machines.
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|shlwapi|uxtheme|ole32|oleaut32|'
system_dlls+='msvcrt|ntdll|version|ws2_32|winmm|imm32|bcrypt|crypt32|dwmapi|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
mapfile -t dlls < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
foreign=()
for dll in "${dlls[@]}"; do
    echo "${dll,,}" | grep -Eq "$system_dlls" || foreign+=("$dll")
done
if [ ${#dlls[@]} -eq 0 ] || [ ${#foreign[@]} -gt 0 ]; then
    echo "release: $exe imports DLLs that are not part of Windows: ${foreign[*]:-(no imports found)}" >&2
    exit 1
fi
echo "release: imports ${dlls[*]}"

# --- Package -------------------------------------------------------------------------------------
stage=$build/package/$name
rm -rf "$build/package"
mkdir -p "$stage" dist
# Symbols only matter to a debugger; without them the executable is a third of the size.
x86_64-w64-mingw32-strip --strip-all -o "$stage/Tellwick.exe" "$exe"
# Notepad reads UTF-8 reliably with a byte-order mark, and older versions need CRLF line ends. The
# screenshot line only makes sense on the web page.
{
    printf '\xEF\xBB\xBF'
    grep -v '^!\[' docs/user-guide.md | sed 's/$/\r/'
} >"$stage/USER-GUIDE.txt"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"

# The same sources give the same zip: fixed file times (the last commit's), fixed order, no extra
# file attributes.
stamp=$(git log -1 --format=%ct 2>/dev/null || date +%s)
find "$stage" -exec touch -d "@$stamp" {} +
zip=$PWD/dist/$name.zip
rm -f "$zip" "$zip.sha256"
(cd "$build/package" && zip -q -X -9 "$zip" "$name/" "$name/Tellwick.exe" "$name/USER-GUIDE.txt" "$name/LICENSE.txt")
(cd dist && sha256sum "$name.zip" >"$name.zip.sha256" && sha256sum --quiet -c "$name.zip.sha256")

# --- Starts under Wine from the unpacked zip -----------------------------------------------------
unpacked=$build/package-check
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"

source scripts/wine-env.sh
wine_prefix_ready "$TELLWICK_ROOT/build/wine-release" null
unset DISPLAY WAYLAND_DISPLAY
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT
(cd "$unpacked/$name" && exec "$WINE" Tellwick.exe >/dev/null 2>&1 </dev/null) &
pid=$!
sleep 5
if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" && rc=0 || rc=$?
    echo "release: Tellwick.exe from the package ended within 5 seconds (exit code $rc)" >&2
    exit 1
fi
"$WINESERVER" -k 2>/dev/null || true
wait "$pid" 2>/dev/null || true

echo "release: dist/$name.zip ($(stat -c %s "$zip") bytes)"
cat "dist/$name.zip.sha256"
