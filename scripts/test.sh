#!/usr/bin/env bash
# The test command: installs what is missing, builds both flavours, runs every test
# (unit tests natively, then the Windows tests under Wine on a private Xvfb screen).
set -euo pipefail
cd "$(dirname "$0")/.."

# Runs the native unit tests of one build folder. Root writes to read-only files, so the read-only database test
# would have to skip under root (as in CI): there the tests run as an unprivileged system user instead.
run_unit_tests() {
    local dir=$PWD/$1 user=velmora-test
    if [ "$(id -u)" -ne 0 ]; then
        ctest --test-dir "$dir" --output-on-failure
        return
    fi
    id -u "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
    # The user reads the build and writes only ctest's logs; the tests' own folders go under /tmp.
    chmod -R a+rX "$dir"
    mkdir -p "$dir/Testing"
    chown -R "$user:" "$dir/Testing"
    if runuser -u "$user" -- test -r "$dir/CTestTestfile.cmake"; then
        runuser -u "$user" -- "$(command -v ctest)" --test-dir "$dir" --output-on-failure
    else
        # A parent folder is closed to other users: the test program needs nothing of the
        # build tree, so it runs from a copy the user can reach.
        echo "Note: $user cannot reach $dir; running a copy of the unit tests from /tmp."
        local scratch
        scratch=$(mktemp -d /tmp/velmora-unit.XXXXXX)
        chmod 755 "$scratch"
        cp "$dir/tests/unit/velmora_unit_tests" "$scratch/"
        local status=0
        (cd "$scratch" && runuser -u "$user" -- ./velmora_unit_tests) || status=$?
        rm -rf "$scratch"
        return "$status"
    fi
}

scripts/install-deps.sh
# A file the formatter would change fails the run before anything is built.
scripts/check-format.sh
mkdir -p build
scripts/build.sh

echo "== Unit tests (native)"
run_unit_tests build/host

# The same tests once more with AddressSanitizer and UndefinedBehaviorSanitizer: a report ends the test
# program with a failure, so it fails the run.
echo "== Unit tests (native, AddressSanitizer and UndefinedBehaviorSanitizer)"
cmake -S . -B build/host-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=ON >build/host-sanitize-configure.log
cmake --build build/host-sanitize -j2 --target velmora_unit_tests
ASAN_OPTIONS=abort_on_error=0:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_unit_tests build/host-sanitize

echo "== Windows tests (Wine)"
# The team library's tests reach a private PostgreSQL server through Wine's odbc32; the two
# connection texts (the team lead's account and a desk's read-only one) reach them through
# the environment, which Wine hands on to Windows programs. The server goes with the run.
# VELMORA_TEAM_PORT chooses another port than 55432 (two runs on one machine).
team_server=$PWD/build/team-server
trap 'scripts/team-server.sh stop "$team_server" || true' EXIT
scripts/team-server.sh start "$team_server" "${VELMORA_TEAM_PORT:-55432}" >/dev/null
VELMORA_TEAM_LEAD=$(cat "$team_server/lead.txt")
VELMORA_TEAM_DESK=$(cat "$team_server/desk.txt")
# The test of the help's SQL (tests/team/help-sql-test.sh) works on the server as its administrator.
VELMORA_TEAM_SERVER=$team_server
export VELMORA_TEAM_LEAD VELMORA_TEAM_DESK VELMORA_TEAM_SERVER
scripts/with-wine.sh ctest --test-dir build/win --output-on-failure
scripts/team-server.sh stop "$team_server"
echo "Screenshots: build/win/screenshots"

echo "== Help file (with the screenshots of this run)"
cmake --build build/win --target help_file
tests/help/check-chm.sh build/win/help/Help.chm help build/win/screenshots
