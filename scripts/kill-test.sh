#!/usr/bin/env bash
# The kill test in full: Velmora killed at moments spread over the order stored as the template
# manager closes and over the backup made at exit, and closed at moments spread over the team
# library's check storing a 60,000-row cache (VELMORA_KILL_MOMENTS, 40 in all, a third to each
# write), each followed by a look at the files and the backups. The test command runs the same
# suites with 8. The team library comes from a private PostgreSQL server of the run's own, on
# VELMORA_KILL_TEAM_PORT (55451), stopped on every exit.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
mkdir -p build
scripts/build.sh >build/kill-test-build.log 2>&1 || { tail -40 build/kill-test-build.log; exit 1; }
export VELMORA_KILL_MOMENTS=${VELMORA_KILL_MOMENTS:-40}
export VELMORA_EXE=$PWD/build/win/src/app/Velmora.exe
export VELMORA_DB_EXE=$PWD/build/win/tools/VelmoraDb.exe
export VELMORA_SCREENSHOTS=$PWD/build/win/screenshots
team_server=$PWD/build/kill-team-server
trap 'scripts/team-server.sh stop "$team_server" || true' EXIT
scripts/team-server.sh start "$team_server" "${VELMORA_KILL_TEAM_PORT:-55451}" >/dev/null
VELMORA_TEAM_LEAD=$(cat "$team_server/lead.txt")
VELMORA_TEAM_DESK=$(cat "$team_server/desk.txt")
export VELMORA_TEAM_LEAD VELMORA_TEAM_DESK
# About 10 s a moment; a hung run still ends.
scripts/with-wine.sh timeout 2400 wine build/win/tests/wine/VelmoraWineTests.exe \
    --gtest_filter='KillDuringWrites.*:KillDuringTeamStore.*' 2>&1 |
    grep --line-buffered -v '^with-wine\|fixme:\|err:'
