#!/usr/bin/env bash
# Builds the reader with clang, AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/, runs the
# reader's tests under them, replays the seed files and every committed regression input, then fuzzes.
#
#   scripts/fuzz.sh           bounded run: 1,000,000 executions or 180 seconds, whichever comes first
#   scripts/fuzz.sh SECONDS   a run of that many seconds (and no execution limit)
#
# New interesting inputs go to build-fuzz/fuzz-work; a crash is written as build-fuzz/crash-*. Fix it, then
# commit the input to fuzz/regressions/ so every later run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DMSH_FUZZ=ON -DMSH_GUI=OFF -DMSH_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"

echo "== reader tests under ASan and UBSan"
ctest --test-dir build-fuzz --output-on-failure -R '^unit_tests$'

seeds=build-fuzz/seeds
rm -rf "$seeds"
build-fuzz/src/tools/mshgen seeds "$seeds"

echo "== replaying the seeds and the committed regression inputs"
shopt -s nullglob
build-fuzz/fuzz/fuzz_reader "$seeds"/* fuzz/regressions/*

echo "== fuzzing"
work=build-fuzz/fuzz-work
mkdir -p "$work"
if [ $# -ge 1 ]; then
    limits=(-max_total_time="$1")
else
    limits=(-runs=1000000 -max_total_time=180)
fi
build-fuzz/fuzz/fuzz_reader -seed=1 "${limits[@]}" -max_len=65536 -timeout=5 -rss_limit_mb=2048 \
    -malloc_limit_mb=128 -dict=fuzz/msh.dict -artifact_prefix=build-fuzz/ -print_final_stats=1 \
    "$work" "$seeds"
