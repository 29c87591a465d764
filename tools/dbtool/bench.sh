#!/usr/bin/env bash
# Times VelmoraDb import and export of 100,000 templates natively (a figure, not a test):
#   tools/dbtool/bench.sh [build/host]
# Baseline in the same run: copying the CSV file, the least any import or export reads or writes.
set -euo pipefail
build=${1:-build/host}
tool=$(realpath "$build/tools/VelmoraDb")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

count=100000
awk -v n=$count 'BEGIN { printf "\xEF\xBB\xBFTText\r\n";
    for (i = 1; i <= n; i++) printf "\"您好，这是第 %d 条回复，\"\"请稍等\"\"，我马上为您查询。\r\n祝您愉快!\"\r\n", i }' >in.csv

seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N); echo "$end - $start" | bc; }

"$tool" new --empty DB.mdb >/dev/null
import=$(seconds "$tool" import DB.mdb in.csv)
export=$(seconds "$tool" export DB.mdb out.csv)
check=$(seconds "$tool" check DB.mdb)
copy=$(seconds cp in.csv copy.csv)
cmp -s in.csv out.csv && same=yes || same=no
printf '%d templates (%s MB CSV): import %.3f s, export %.3f s, check %.3f s; baseline file copy %.3f s; export equals input: %s\n' \
    "$count" "$(du -m in.csv | cut -f1)" "$import" "$export" "$check" "$copy" "$same"
