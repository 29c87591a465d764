#!/usr/bin/env bash
# The kill test in full: Velmora killed at 40 moments (VELMORA_KILL_MOMENTS) spread over the
# order stored as the template manager closes and over the backup made at exit, each followed
# by a look at the files and a fresh start. The test command runs the same suite with fewer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
mkdir -p build
scripts/build.sh >build/kill-test-build.log 2>&1 || { tail -40 build/kill-test-build.log; exit 1; }
export VELMORA_KILL_MOMENTS=${VELMORA_KILL_MOMENTS:-40}
export VELMORA_EXE=$PWD/build/win/src/app/Velmora.exe
export VELMORA_SCREENSHOTS=$PWD/build/win/screenshots
# About 10 s a moment; a hung run still ends.
scripts/with-wine.sh timeout 1800 wine build/win/tests/wine/VelmoraWineTests.exe --gtest_filter='KillDuringWrites.*' 2>&1 |
    grep --line-buffered -v '^with-wine\|fixme:\|err:'
