#!/usr/bin/env bash
# Builds the program's table of Mandarin readings (src/common/PinyinTable.h) from Unicode's
# Unihan database, as Debian's package unicode-data ships it:
#
#   tools/pinyin/make-table.sh UNICODE_DIR OUTPUT.cpp
#
# UNICODE_DIR holds Unihan_Readings.txt (or .txt.bz2) and UnicodeData.txt; Debian puts them in
# /usr/share/unicode. The build runs this (src/CMakeLists.txt); nothing of the table is typed by hand.
#
# The readings of a character are all that any of these Unihan fields gives for it: kMandarin,
# kHanyuPinyin, kXHC1983, kTGHZ2013 and kHanyuPinlu, without tones, ü written v (lü -> lv),
# ê written e, the syllabic m, n and ng as they are. A compatibility ideograph of U+F900..U+FAFF
# without readings of its own takes those of the character it stands for (UnicodeData.txt).
# The table covers U+3400..U+9FFF (CJK Extension A and the unified ideographs) and U+F900..U+FAFF.
#
# Source and licence: the Unicode Character Database, © 1991-2022 Unicode, Inc., under the
# Unicode licence (the terms of use of Unicode's data files; Debian's copy is in
# /usr/share/doc/unicode-data/copyright and docs/pinyin.md repeats it). The table this writes
# is a modified form of that data, and says so at its top.
set -euo pipefail
export LC_ALL=C

if [ $# -ne 2 ]; then
    echo "usage: $0 UNICODE_DIR OUTPUT.cpp" >&2
    exit 2
fi
dir=$1
out=$2

if [ -f "$dir/Unihan_Readings.txt" ]; then
    read_unihan() { cat "$dir/Unihan_Readings.txt"; }
elif [ -f "$dir/Unihan_Readings.txt.bz2" ]; then
    read_unihan() { bzcat "$dir/Unihan_Readings.txt.bz2"; }
else
    echo "$0: no Unihan_Readings.txt(.bz2) in $dir: install Debian's unicode-data" >&2
    exit 1
fi
[ -f "$dir/UnicodeData.txt" ] || { echo "$0: no UnicodeData.txt in $dir" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 1. "CODE READING" lines, code in hex, reading toneless, one line per reading.
read_unihan | awk -F'\t' -v versionFile="$work/version" '
function toneless(r) {
    r = tolower(r)
    gsub(/ü|ǖ|ǘ|ǚ|ǜ/, "v", r)
    gsub(/à|á|ǎ|ā/, "a", r)
    gsub(/è|é|ě|ē|ê|ề|ế/, "e", r)
    gsub(/ì|í|ǐ|ī/, "i", r)
    gsub(/ò|ó|ǒ|ō/, "o", r)
    gsub(/ù|ú|ǔ|ū/, "u", r)
    gsub(/ǹ|ń|ň/, "n", r)
    gsub(/ḿ/, "m", r)
    # Tones written as combining marks: grave, acute, macron, caron.
    gsub(/\xcc\x80|\xcc\x81|\xcc\x84|\xcc\x8c/, "", r)
    return r
}
/^# Unicode version:/ { v = $0; sub(/^# Unicode version: */, "", v); print v >versionFile }
$2 ~ /^k(Mandarin|HanyuPinyin|XHC1983|TGHZ2013|HanyuPinlu)$/ {
    code = substr($1, 3)
    n = split($3, items, " ")
    for (i = 1; i <= n; i++) {
        item = items[i]
        sub(/^.*:/, "", item)              # the dictionary places before the readings
        gsub(/\([0-9]+\)/, "", item)       # kHanyuPinlu: the frequency after each reading
        m = split(item, readings, ",")
        for (j = 1; j <= m; j++) {
            r = toneless(readings[j])
            if (r !~ /^[a-z]+$/ || length(r) > 6) {
                printf "unexpected reading \"%s\" of U+%s in %s\n", readings[j], code, $2 > "/dev/stderr"
                failed = 1
                exit 1
            }
            print code, r
        }
    }
}
END { if (failed) exit 1 }' | sort -u >"$work/readings"

# 2. Compatibility ideographs standing for one unified ideograph: "COMPAT UNIFIED".
awk -F';' '$1 ~ /^F[9A]/ && $6 ~ /^[0-9A-F]+$/ { print $1, $6 }' "$dir/UnicodeData.txt" >"$work/compat"
awk 'NR == FNR { have[$1] = 1; by[$1] = by[$1] " " $2; next }
     !($1 in have) && ($2 in have) { n = split(by[$2], r, " "); for (i = 1; i <= n; i++) print $1, r[i] }' \
    "$work/readings" "$work/compat" >"$work/borrowed"
sort -u "$work/readings" "$work/borrowed" >"$work/all"

# 3. The syllables, in alphabetical order: their places are the ids the table uses.
awk '{ print $2 }' "$work/all" | sort -u >"$work/syllables"

version=$(cat "$work/version" 2>/dev/null || echo '?')

# 4. The C++ source.
awk -v version="$version" '
function hex(s,    v, i, c) {
    v = 0
    for (i = 1; i <= length(s); i++) {
        c = index("0123456789ABCDEF", substr(s, i, 1)) - 1
        v = v * 16 + c
    }
    return v
}
FILENAME == ARGV[1] { id[$1] = count++; name[count - 1] = $1; next }
{
    cp = hex($1)
    if ((cp >= 13312 && cp <= 40959) || (cp >= 63744 && cp <= 64255)) {
        if (!(cp in n)) { n[cp] = 0; characters++ }
        ids[cp, n[cp]++] = id[$2]
    }
}
function entry(cp,    k, key) {
    if (!(cp in n))
        return 0
    if (n[cp] == 1)
        return ids[cp, 0] + 1
    # Several readings: 0x8000 and the place in kPool of their count and ids; characters
    # with the same readings share one place.
    key = n[cp]
    for (k = 0; k < n[cp]; k++)
        key = key "," ids[cp, k]
    if (!(key in place)) {
        place[key] = poolSize
        pool[poolSize++] = n[cp]
        for (k = 0; k < n[cp]; k++)
            pool[poolSize++] = ids[cp, k]
        if (poolSize >= 32768) { print "the pool outgrew 15 bits" > "/dev/stderr"; failed = 1; exit 1 }
    }
    return 32768 + place[key]
}
function block(title, first, last,    cp, line, col) {
    printf "extern const unsigned short %s[%d] = {\n", title, last - first + 1
    line = ""
    col = 0
    for (cp = first; cp <= last; cp++) {
        line = line entry(cp) ","
        if (++col == 16) { print line; line = ""; col = 0 }
    }
    if (line != "") print line
    print "};"
}
END {
    if (failed) exit 1
    if (count >= 32768 || count == 0) { print "bad syllable count " count > "/dev/stderr"; exit 1 }
    print "// Generated by tools/pinyin/make-table.sh from the Unicode Character Database " version ","
    print "// Unihan_Readings.txt and UnicodeData.txt: do not edit, the build writes it anew."
    print "//"
    print "// This is a modified form of Unicode data: the Mandarin readings of the Unihan fields kMandarin,"
    print "// kHanyuPinyin, kXHC1983, kTGHZ2013 and kHanyuPinlu, toneless, as syllable ids."
    print "// Copyright (c) 1991-2022 Unicode, Inc. All rights reserved. Distributed under the Unicode licence"
    print "// (terms of use of Unicode data files); its text is in docs/pinyin.md."
    print "#include \"common/PinyinTable.h\""
    print ""
    print "namespace pinyin_table {"
    print ""
    printf "extern const int kSyllableCount = %d;\n", count
    printf "extern const char kSyllables[%d][7] = {\n", count
    for (i = 0; i < count; i++) printf "\"%s\",%s", name[i], (i % 10 == 9 ? "\n" : "")
    print "};"
    print ""
    block("kUnified", 13312, 40959)
    print ""
    block("kCompatibility", 63744, 64255)
    print ""
    printf "extern const unsigned short kPool[%d] = {\n", poolSize
    for (i = 0; i < poolSize; i++) printf "%d,%s", pool[i], (i % 16 == 15 ? "\n" : "")
    print "};"
    printf "extern const int kCharacterCount = %d;\n", characters
    print ""
    print "} // namespace pinyin_table"
}' "$work/syllables" "$work/all" >"$work/table.cpp"

mv "$work/table.cpp" "$out"
