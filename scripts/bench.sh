#!/usr/bin/env bash
# Runs the benchmark programs under Wine and prints their figures. Each compares with a
# baseline measured in the same run; nothing here passes or fails on time. Runs per figure:
# $VELMORA_BENCH_RUNS (10).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
mkdir -p build
scripts/build.sh >build/bench-build.log 2>&1 || { tail -40 build/bench-build.log; exit 1; }
export VELMORA_EXE=$PWD/build/win/src/app/Velmora.exe
export VELMORA_TARGET_EXE=$PWD/build/win/tests/wine/VelmoraTarget.exe
export VELMORA_MINIMAL_EXE=$PWD/build/win/bench/MinimalList.exe
# The machine the figures come from, printed with them.
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(wine --version 2>/dev/null || echo 'wine ?'), Xvfb"
scripts/with-wine.sh sh -c 'wine build/win/tests/wine/ListBench.exe && wine build/win/tests/wine/ManagerBench.exe && wine build/win/tests/wine/DeliveryBench.exe' 2>&1 |
    grep --line-buffered -v '^with-wine\|fixme:\|err:'

