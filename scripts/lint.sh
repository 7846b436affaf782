#!/usr/bin/env bash
# Checks the C++ sources without changing them: clang-format's layout on src/, tests/ and bench/,
# and clang-tidy (.clang-tidy) on src/. Prints what it finds; exits 1 when it finds anything.
# A check that cannot run (a tool missing, clang-tidy crashing) fails the lint as well: no finding
# is reported for code nothing looked at.
#   LINT_BUILD_DIR   build folder for the compile database (default build/lint; configured, not built)
#   CLANG_TIDY       the clang-tidy program (default clang-tidy)
set -euo pipefail
cd "$(dirname "$0")/.."

clang_tidy=${CLANG_TIDY:-clang-tidy}
for tool in clang-format "$clang_tidy"; do
    if ! command -v "$tool" >/dev/null; then
        echo "lint: $tool is not installed, so nothing was checked (scripts/setup.sh installs it)"
        exit 1
    fi
done

build=${LINT_BUILD_DIR:-build/lint}
jobs=$(nproc)
found=0

# --- Layout ------------------------------------------------------------------------------------
mapfile -t sources < <(find src tests bench -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
unformatted=0
for f in "${sources[@]}"; do
    if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
        lines=$(clang-format "$f" | diff "$f" - | grep -c '^>' || true)
        echo "clang-format: $f ($lines lines would change)"
        unformatted=$((unformatted + 1))
    fi
done
echo "clang-format: $unformatted of ${#sources[@]} files would change (clang-format --dry-run FILE shows where)"
[ "$unformatted" -eq 0 ] || found=1

# --- Static checks -----------------------------------------------------------------------------
# A fresh configure refreshes the source globs, so the database names every current file.
cmake --preset release -B "$build" >/dev/null
compiler=$(sed -n 's/^ *"command": "\([^ ]*\) .*/\1/p' "$build/compile_commands.json" | head -n 1)
target=$("$compiler" -dumpmachine)

# clang accepts only UTF-8 as the execution character set; GBK literals change no check's result.
db="$build/clang-tidy"
mkdir -p "$db"
sed 's/ -fexec-charset=[^ "]*//g' "$build/compile_commands.json" >"$db/compile_commands.json"

# clang parses for the mingw target with the same C++ library and Windows headers that g++ uses;
# g++'s own intrinsics folders (include, include-fixed) are left to clang's built-in ones.
extra=(--extra-arg=--target="$target")
while read -r dir; do
    dir=$(realpath "$dir")
    case $dir in
        */lib/gcc/*/include | */lib/gcc/*/include-fixed) continue ;;
    esac
    extra+=(--extra-arg=-isystem"$dir")
done < <(echo | "$compiler" -x c++ -std=c++20 -E -v - 2>&1 |
    sed -n '/#include <\.\.\.> search starts here/,/End of search list/s/^ //p')

mapfile -t units < <(find src -type f -name '*.cpp' | sort)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
printf '%s\n' "${units[@]}" | xargs -P "$jobs" -I{} sh -c \
    'out=$0 db=$1 tidy=$2; shift 2; f=$out/$(echo "$1" | tr / _)
     "$tidy" --quiet -p "$db" "$@" >"$f.txt" 2>"$f.err"; echo $? >"$f.rc"' \
    "$out" "$db" "$clang_tidy" {} "${extra[@]}" || true
# clang-tidy exits 1 when a file does not compile, and says so in error findings; any other exit
# (or none) means that the checks did not run through.
broken=0
for unit in "${units[@]}"; do
    f=$out/$(echo "$unit" | tr / _)
    rc=$(cat "$f.rc" 2>/dev/null || echo none)
    [ "$rc" = 0 ] && continue
    [ "$rc" = 1 ] && grep -qE '^([^ ].*:[0-9]+:[0-9]+: )?error:' "$f.txt" && continue
    echo "clang-tidy: did not run through on $unit (exit code $rc): $(tail -n 2 "$f.err" 2>/dev/null | tr '\n' ' ')"
    broken=$((broken + 1))
done
[ "$broken" -eq 0 ] || found=1
# A finding in a header shows up once for every file that includes it.
report=$(cat "$out"/*.txt 2>/dev/null | grep -E '^([^ ].*:[0-9]+:[0-9]+: )?(warning|error):' | sort -u || true)
if [ -n "$report" ]; then
    echo "$report"
    echo "clang-tidy findings by check:"
    echo "$report" | grep -oE '\[[a-z0-9.,-]+\]$' | sort | uniq -c | sort -rn
    found=1
fi
echo "clang-tidy: $(printf '%s' "$report" | grep -c . || true) findings in ${#units[@]} files of src/"
[ "$broken" -eq 0 ] || echo "clang-tidy: $broken of ${#units[@]} files were not checked"
exit "$found"
