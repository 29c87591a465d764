#!/usr/bin/env bash
# The test command: installs what is missing, builds both flavours, runs every test
# (unit tests natively, then the Windows tests under Wine on a private Xvfb screen).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
mkdir -p build
scripts/build.sh

echo "== Unit tests (native)"
ctest --test-dir build/host --output-on-failure

echo "== Windows tests (Wine)"
scripts/with-wine.sh ctest --test-dir build/win --output-on-failure
echo "Screenshots: build/win/screenshots"
