#!/usr/bin/env bash
# Rebuilds resources/settings-illustration.jpg: builds the generator with MinGW and runs it
# under Wine (see main.cpp). Run from anywhere; needs scripts/build-thirdparty.sh to have run.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${VELMORA_ILLUSTRATION_BUILD:-$PWD/build/illustration}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DVELMORA_THIRDPARTY_PATHS="$PWD/build/thirdparty/paths.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target illustration
VELMORA_WINEPREFIX=${VELMORA_WINEPREFIX:-$build/wine/prefix} scripts/with-wine.sh \
    wine "$build/tools/illustration/illustration.exe" resources/settings-illustration.jpg
