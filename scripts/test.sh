#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit and GUI tests (under a private
# Xvfb when there is no display), then the reader under the sanitizers and a bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
scripts/with-display.sh ctest --test-dir build --output-on-failure
scripts/fuzz.sh
echo "All tests passed."
