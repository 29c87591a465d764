#!/usr/bin/env bash
# Group Policy's templates for the team library (policy/): well-formed XML, every string and
# presentation the ADMX names present in each language's ADML, every text box tied to an element
# of the ADMX, and the key and value names the ones the program reads (src/app/PolicyRegistry.cpp).
set -euo pipefail
root=${1:-$(dirname "$0")/../..}
admx=$root/policy/Velmora.admx
reader=$root/src/app/PolicyRegistry.cpp
fail() {
    echo "check-admx: $*" >&2
    exit 1
}
command -v xmllint >/dev/null || fail "xmllint is missing (Debian: libxml2-utils)"
xmllint --noout "$admx"
refs_string=$(grep -o '\$(string\.[A-Za-z0-9_]*)' "$admx" | sed 's/\$(string\.//; s/)//' | sort -u)
refs_presentation=$(grep -o '\$(presentation\.[A-Za-z0-9_]*)' "$admx" | sed 's/\$(presentation\.//; s/)//' | sort -u)
elements=$(grep -oE '<(text|decimal) id="[A-Za-z0-9_]+"' "$admx" | sed 's/.*id="//; s/"//' | sort -u)
[ -n "$refs_string" ] && [ -n "$refs_presentation" ] && [ -n "$elements" ] || fail "$admx names nothing"
for language in zh-CN en-US; do
    adml=$root/policy/$language/Velmora.adml
    [ -f "$adml" ] || fail "$adml is missing"
    xmllint --noout "$adml"
    strings=$(xmllint --xpath "//*[local-name()='string']/@id" "$adml" | sed 's/ id="/\n/g; s/"//g' | sed '/^$/d' | sort -u)
    presentations=$(xmllint --xpath "//*[local-name()='presentation']/@id" "$adml" | sed 's/ id="/\n/g; s/"//g' |
        sed '/^$/d' | sort -u)
    boxes=$(xmllint --xpath "//*[local-name()='presentation']/*/@refId" "$adml" | sed 's/ refId="/\n/g; s/"//g' |
        sed '/^$/d' | sort -u)
    missing=$(comm -23 <(echo "$refs_string") <(echo "$strings"))
    [ -z "$missing" ] || fail "$adml lacks the strings: $missing"
    missing=$(comm -23 <(echo "$refs_presentation") <(echo "$presentations"))
    [ -z "$missing" ] || fail "$adml lacks the presentations: $missing"
    [ "$boxes" = "$elements" ] || fail "$adml's boxes ($boxes) are not the ADMX's elements ($elements)"
done
# What the templates write is what the program reads.
keys=$(grep -o 'key="[^"]*"' "$admx" | sed 's/key="//; s/"//' | sort -u)
[ "$keys" = 'Software\Policies\Velmora' ] || fail "the ADMX writes under $keys"
grep -qF 'L"Software\\Policies\\Velmora"' "$reader" || fail "$reader reads another key"
names=$(grep -o 'valueName="[^"]*"' "$admx" | sed 's/valueName="//; s/"//' | sort -u)
read_names=$(grep -oE 'L"Team[A-Za-z]+"' "$reader" | sed 's/L"//; s/"//' | sort -u)
[ "$names" = "$read_names" ] || fail "the ADMX writes ($names), the program reads ($read_names)"
grep -q '<decimal id="TeamCheckSeconds" valueName="TeamCheckSeconds"' "$admx" ||
    fail "TeamCheckSeconds must be a number (REG_DWORD)"
echo "check-admx: $(echo "$names" | wc -l) values, both languages complete"
