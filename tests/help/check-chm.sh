#!/usr/bin/env bash
# Checks a compiled Help.chm against its sources:
#   tests/help/check-chm.sh HELP_CHM HELP_SOURCE_DIR SCREENSHOTS_DIR
# Fails unless every page is in the table of contents, and every page, every file the table of
# contents, the index and the pages refer to (pages, stylesheet, pictures) is inside the .chm; each
# page inside reads back, from code page 936, as exactly its UTF-8 source; each picture is a PNG;
# and the .chm is not older than the screenshots its pictures come from.
# Needs enum_chmLib and extract_chmLib (Debian package libchm-bin) and iconv.
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 HELP_CHM HELP_SOURCE_DIR SCREENSHOTS_DIR" >&2
    exit 2
fi
chm=$1 src=$2 shots=$3
for tool in enum_chmLib extract_chmLib iconv; do
    command -v "$tool" >/dev/null || { echo "check-chm: $tool not found (package libchm-bin)" >&2; exit 2; }
done
[ -f "$chm" ] || { echo "check-chm: $chm not found" >&2; exit 1; }

failures=0
fail() {
    echo "check-chm: $*" >&2
    failures=$((failures + 1))
}

# What the .chm holds: the name column of enum_chmLib, after the last tab, without the leading slash.
inside=$(enum_chmLib "$chm" | grep -P '\t/' | sed 's/.*\t\///')

# What must be in it.
locals() { grep -o 'name="Local" value="[^"]*"' "$1" | sed 's/.*value="\([^"]*\)"/\1/'; }
refs() { grep -oE '(src|href)="[^"#:]+"' "$1" | sed -E 's/^(src|href)="([^"]*)"/\2/'; }
pages=$(cd "$src" && ls -- *.html)
toc=$(locals "$src/Help.hhc")
required=$(
    {
        echo "$pages"
        echo "$toc"
        locals "$src/Help.hhk"
        for page in $pages; do refs "$src/$page"; done
    } | sort -u
)

for page in $pages; do
    grep -qxF "$page" <<<"$toc" || fail "$page is not in the table of contents (Help.hhc)"
done
for name in $required; do
    grep -qxF "$name" <<<"$inside" || fail "$name is not inside $chm"
done

# Read the files back out of the .chm.
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
extract_chmLib "$chm" "$out" >/dev/null
for page in $pages; do
    [ -f "$out/$page" ] || continue
    iconv -f CP936 -t UTF-8 "$out/$page" | cmp -s - "$src/$page" ||
        fail "$page inside the .chm is not its source converted to code page 936"
done
for name in $required; do
    case "$name" in
    images/*)
        [ -f "$out/$name" ] || continue
        [ "$(head -c 8 "$out/$name" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
            fail "$name inside the .chm is not a PNG"
        shot=$shots/${name#images/}
        if [ ! -f "$shot" ]; then
            fail "$name: no screenshot $shot"
        elif [ "$shot" -nt "$chm" ]; then
            fail "$name: the screenshot is newer than $chm (the help was not rebuilt)"
        fi
        ;;
    esac
done

count=$(wc -w <<<"$required")
if [ "$failures" -gt 0 ]; then
    echo "check-chm: $failures problem(s) in $chm" >&2
    exit 1
fi
echo "check-chm: $chm holds all $count pages, pictures and files its contents, index and pages name"
