#!/usr/bin/env bash
# Builds Velmora's MSI from Velmora.wxs with wixl, then sets in its tables what wixl cannot express.
#   make-msi.sh <product version, three parts> <folder with the files> <icon> <output .msi>
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 VERSION FILES ICON OUT.msi" >&2; exit 2; }
version=$1 files=$2 icon=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
case $out in /*) ;; *) out=$PWD/$out ;; esac
rm -f "$out"
# wixl finds sources only by relative names: they are staged in one folder.
cp "$files"/Velmora.exe "$files"/VelmoraDb.exe "$files"/Help.chm "$files"/DB.mdb "$work"/
cp "$icon" "$work"/velmora.ico
(cd "$work" && wixl -D VERSION="$version" -D FILES=. -D ICON=velmora.ico -o "$out" "$here/Velmora.wxs")

upgrade_code=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/\1/p' "$here/Velmora.wxs" | tr a-f A-F)
[ -n "$upgrade_code" ] || { echo "make-msi: no UpgradeCode in Velmora.wxs" >&2; exit 1; }
# Component attributes: 4 the key path is a registry value, 16 permanent, 128 never overwrite.
# Upgrade attributes (part of the row's key, so the row is written anew): 1 migrate features, 512 the
# maximum version included, so that a rebuilt MSI of the same version replaces the installed one instead
# of installing beside it.
msibuild "$out" \
    -q "UPDATE Component SET Attributes = 144 WHERE Component = 'Templates'" \
    -q "UPDATE Component SET Condition = 'AUTOSTART = \"1\"' WHERE Component = 'StartWithWindows'" \
    -q "UPDATE Component SET Attributes = 20, Condition = 'TEAMCONNECTION' WHERE Component = 'PolicyTeamConnection'" \
    -q "UPDATE Component SET Attributes = 20, Condition = 'TEAMSETS' WHERE Component = 'PolicyTeamSets'" \
    -q "UPDATE Component SET Attributes = 20, Condition = 'TEAMCHECKSECONDS' WHERE Component = 'PolicyTeamCheckSeconds'" \
    -q "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'" \
    -q "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES ('{$upgrade_code}', '$version', 513, 'WIX_UPGRADE_DETECTED')"

# The patches above must have landed: a silent change of wixl's names would otherwise ship an MSI that
# overwrites the templates.
dump=$work/dump
mkdir "$dump"
(cd "$dump" && msidump -t "$out" >/dev/null)
grep -q $'^Templates\t.*\t144\t' "$dump/Component.idt" || { echo "make-msi: DB.mdb's component was not set" >&2; exit 1; }
grep -q $'^StartWithWindows\t.*\tAUTOSTART = "1"\t' "$dump/Component.idt" ||
    { echo "make-msi: the Run entry's condition was not set" >&2; exit 1; }
[ "$(grep -c $'\t20\tTEAM' "$dump/Component.idt")" -eq 3 ] || { echo "make-msi: the policy components were not set" >&2; exit 1; }
grep -q $'\t513\t.*WIX_UPGRADE_DETECTED' "$dump/Upgrade.idt" || { echo "make-msi: the upgrade row was not set" >&2; exit 1; }
