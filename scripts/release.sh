#!/usr/bin/env bash
# The release command: installs what is missing, builds, runs the Windows tests under Wine (their
# screenshots are the help's pictures), builds again so that Help.chm and the setup program carry
# them, checks that setup program once more under Wine, and writes:
#   dist/Velmora-<version>.zip        a folder Velmora/ with Velmora.exe, a fresh DB.mdb, Help.chm and
#                                     the database tool VelmoraDb.exe, and policy/ (Group Policy's
#                                     templates for the team library, ADMX and ADML)
#   dist/Velmora-<version>-setup.exe  the per-user installer of the same files
#   dist/Velmora-<version>.msi        the same installation as an MSI, for deployment by IT
set -euo pipefail
cd "$(dirname "$0")/.."

die() {
    echo "release: $*" >&2
    exit 1
}

version=$(sed -n 's/^set(VELMORA_VERSION \([^)]*\))$/\1/p' installer/CMakeLists.txt)
[ -n "$version" ] || die "no VELMORA_VERSION in installer/CMakeLists.txt"

scripts/install-deps.sh
mkdir -p build
log=build/release-build.log
echo "== Build (log: $log)"
scripts/build.sh >"$log" 2>&1 || { tail -40 "$log"; die "the build failed"; }

echo "== Windows tests (Wine)"
scripts/with-wine.sh ctest --test-dir build/win --output-on-failure || die "Windows tests failed: no release"

echo "== Build with the new screenshots"
cmake --build build/win -j2 >>"$log" 2>&1 || { tail -40 "$log"; die "the build failed"; }

echo "== The setup program and the MSI as released (Wine)"
scripts/with-wine.sh ctest --test-dir build/win --output-on-failure -R '^wine\.Installer$' ||
    die "the installer test failed: no release"

files=build/win/installer/files
setup=build/win/installer/Velmora-$version-setup.exe
msi=build/win/installer/Velmora-$version.msi
for f in "$setup" "$msi" "$files/Velmora.exe" "$files/DB.mdb" "$files/Help.chm" "$files/VelmoraDb.exe"; do
    [ -f "$f" ] || die "$f was not built (see $log)"
done

rm -rf dist build/release
mkdir -p dist build/release/Velmora
cp "$files"/* build/release/Velmora/
cp -r policy build/release/Velmora/
(cd build/release && cmake -E tar cf "../../dist/Velmora-$version.zip" --format=zip Velmora)
cp "$setup" "dist/Velmora-$version-setup.exe"
cp "$msi" "dist/Velmora-$version.msi"

echo "== Release $version"
for f in "dist/Velmora-$version.zip" "dist/Velmora-$version-setup.exe" "dist/Velmora-$version.msi" "$files/Velmora.exe"; do
    bytes=$(stat -c %s "$f")
    printf '%-32s %9d bytes (%s)\n' "$(basename "$f")" "$bytes" "$(numfmt --to=iec --suffix=B "$bytes")"
done
