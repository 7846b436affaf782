#!/usr/bin/env bash
# Checks the C++ sources without changing them: clang-format's layout on src/, tests/ and bench/,
# and clang-tidy (.clang-tidy) on src/. Prints what it finds; exits 1 when it finds anything.
#   LINT_BUILD_DIR   build folder for the compile database (default build/lint; configured, not built)
set -euo pipefail
cd "$(dirname "$0")/.."

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
    'out=$0 db=$1; shift; clang-tidy --quiet -p "$db" "$@" >"$out/$(echo "$1" | tr / _).txt" 2>/dev/null || true' \
    "$out" "$db" {} "${extra[@]}"
# A finding in a header shows up once for every file that includes it.
report=$(cat "$out"/*.txt | grep -E '^([^ ].*:[0-9]+:[0-9]+: )?(warning|error):' | sort -u || true)
if [ -n "$report" ]; then
    echo "$report"
    echo "clang-tidy findings by check:"
    echo "$report" | grep -oE '\[[a-z0-9.,-]+\]$' | sort | uniq -c | sort -rn
    found=1
fi
echo "clang-tidy: $(printf '%s' "$report" | grep -c . || true) findings in ${#units[@]} files of src/"
exit "$found"
