#!/usr/bin/env bash
# Lists the C++ files that clang-format (with the committed .clang-format) would change, and fails when there are
# any. Checks every tracked *.cpp and *.h, or only the files given as arguments. Needs no build.
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null; then
    echo "check-format: $clang_format not found (apt-get install clang-format)" >&2
    exit 2
fi
# A broken .clang-format would otherwise show up as every file needing formatting.
if ! "$clang_format" --dump-config --assume-filename=check.cpp >/dev/null; then
    echo "check-format: clang-format cannot read .clang-format" >&2
    exit 2
fi

if [ $# -gt 0 ]; then
    files=("$@")
else
    # Build output, and any imported or generated sources should they ever be committed, are not ours to format.
    mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h' |
        grep -zvE '^(build[^/]*|run|third[_-]?party|external|vendor|generated)/' || true)
fi

unformatted=()
for file in "${files[@]}"; do
    if ! "$clang_format" --dry-run --Werror "$file" >/dev/null 2>&1; then
        unformatted+=("$file")
    fi
done

if [ ${#unformatted[@]} -eq 0 ]; then
    echo "check-format: ${#files[@]} files follow .clang-format"
    exit 0
fi
echo "check-format: ${#unformatted[@]} of ${#files[@]} files differ from .clang-format:"
printf '  %s\n' "${unformatted[@]}"
echo "Fix each with: clang-format -i FILE"
exit 1
