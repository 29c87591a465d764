#!/usr/bin/env bash
# Runs the benchmark programs under Wine and prints their figures. Each compares with a
# baseline measured in the same run; nothing here passes or fails on time. Runs per figure:
# $VELMORA_BENCH_RUNS (10); the method and the figures: docs/benchmarks.md.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
mkdir -p build
scripts/build.sh >build/bench-build.log 2>&1 || { tail -40 build/bench-build.log; exit 1; }
export VELMORA_EXE=$PWD/build/win/src/app/Velmora.exe
export VELMORA_TARGET_EXE=$PWD/build/win/tests/wine/VelmoraTarget.exe
export VELMORA_MINIMAL_EXE=$PWD/build/win/bench/MinimalList.exe
export VELMORA_DB_EXE=$PWD/build/win/tools/VelmoraDb.exe
# The team library's benchmark reads from a private PostgreSQL server of its own, on a port of
# its own (VELMORA_BENCH_TEAM_PORT, 55450), stopped on every exit as scripts/test.sh does with its own.
team_server=$PWD/build/bench-team-server
trap 'scripts/team-server.sh stop "$team_server" || true' EXIT
scripts/team-server.sh start "$team_server" "${VELMORA_BENCH_TEAM_PORT:-55450}" >/dev/null
VELMORA_TEAM_LEAD=$(cat "$team_server/lead.txt")
VELMORA_TEAM_DESK=$(cat "$team_server/desk.txt")
export VELMORA_TEAM_LEAD VELMORA_TEAM_DESK
# The machine the figures come from, printed with them.
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(wine --version 2>/dev/null || echo 'wine ?'), Xvfb"
scripts/with-wine.sh sh -c 'wine build/win/tests/wine/ListBench.exe && wine build/win/tests/wine/SearchBench.exe && wine build/win/tests/wine/ManagerBench.exe && wine build/win/tests/wine/DeliveryBench.exe && wine build/win/tests/wine/TeamBench.exe' 2>&1 |
    grep --line-buffered -v '^with-wine\|fixme:\|err:'

