#!/usr/bin/env bash
# The test command: installs what is missing, builds both flavours, runs every test
# (unit tests natively, then the Windows tests under Wine on a private Xvfb screen).
set -euo pipefail
cd "$(dirname "$0")/.."

# Runs the native unit tests. Root writes to read-only files, so the read-only database test would have to skip
# under root (as in CI): there the tests run as an unprivileged system user instead.
run_unit_tests() {
    local dir=$PWD/build/host user=velmora-test
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
        echo "Note: $user cannot reach $dir (a parent folder is closed to other users);" \
            "running the unit tests as root, so the read-only database test skips."
        ctest --test-dir "$dir" --output-on-failure
    fi
}

scripts/install-deps.sh
mkdir -p build
scripts/build.sh

echo "== Unit tests (native)"
run_unit_tests

echo "== Windows tests (Wine)"
scripts/with-wine.sh ctest --test-dir build/win --output-on-failure
echo "Screenshots: build/win/screenshots"
