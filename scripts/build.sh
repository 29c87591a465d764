#!/usr/bin/env bash
# Builds both flavours: build/host (portable code, unit tests, database tool) and
# build/win (Velmora.exe and the Wine test programs).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build-thirdparty.sh build
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Release >build/host-configure.log
cmake --build build/host -j2
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DVELMORA_THIRDPARTY_PATHS="$PWD/build/thirdparty/paths.cmake" -DCMAKE_BUILD_TYPE=Release >build/win-configure.log
cmake --build build/win -j2
