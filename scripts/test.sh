#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit and GUI tests (under a private
# Xvfb when there is no display), the reader under the sanitizers and a bounded fuzzing run, then the
# Windows build and its smoke test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
scripts/with-display.sh ctest --test-dir build --output-on-failure
scripts/fuzz.sh

if scripts/setup.sh --windows; then
    scripts/build-windows.sh
    scripts/with-display.sh sh tests/app/wine-smoke.sh build-windows build
else
    echo "The Windows build and its smoke test are skipped: MinGW-w64 or Wine could not be installed." >&2
fi

echo "All tests passed."
