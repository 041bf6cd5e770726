#!/usr/bin/env bash
# Builds the reader with clang, AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/, runs the
# reader's tests under them, replays the seed files and every committed regression input, then fuzzes.
#
#   scripts/fuzz.sh           bounded run: the reader for 1,000,000 executions or 180 seconds, whichever comes
#                             first, then the importer for 60 seconds
#   scripts/fuzz.sh SECONDS   each for that many seconds (and no execution limit)
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

# The importer's seeds: exports of three seed files, one byte ahead saying glb (0), gltf (1) or obj (2), and
# the hostile files of fuzz/import-seeds (uris out of their folder, no nodes, mirrored nodes, extras that
# are no numbers, OBJ with a byte order mark, concave faces, numbers that are not finite). The text glTF
# carries its buffer as a data URI, since the target writes one file only.
importSeeds=build-fuzz/import-seeds
rm -rf "$importSeeds"
mkdir -p "$importSeeds/x"
for name in sample rich deep; do
    build-fuzz/src/tools/mshconvert --format glb -o "$importSeeds/x/x.glb" "$seeds/$name.msh" >/dev/null
    build-fuzz/src/tools/mshconvert --format gltf -o "$importSeeds/x/x.gltf" "$seeds/$name.msh" >/dev/null
    build-fuzz/src/tools/mshconvert --format obj -o "$importSeeds/x/x.obj" "$seeds/$name.msh" >/dev/null
    buffer=
    [ ! -f "$importSeeds/x/x.bin" ] || buffer=$(base64 -w0 "$importSeeds/x/x.bin") # none without geometry
    { printf '\000'; cat "$importSeeds/x/x.glb"; } >"$importSeeds/$name-glb"
    { printf '\001'; sed "s|\"x.bin\"|\"data:application/octet-stream;base64,$buffer\"|" "$importSeeds/x/x.gltf"; } \
        >"$importSeeds/$name-gltf"
    { printf '\002'; cat "$importSeeds/x/x.obj"; } >"$importSeeds/$name-obj"
    rm -f "$importSeeds"/x/*
done
rmdir "$importSeeds/x"

echo "== replaying the seeds and the committed regression inputs"
shopt -s nullglob
build-fuzz/fuzz/fuzz_reader "$seeds"/* fuzz/regressions/*
build-fuzz/fuzz/fuzz_import "$importSeeds"/* fuzz/import-seeds/* fuzz/import-regressions/*

echo "== fuzzing"
work=build-fuzz/fuzz-work
mkdir -p "$work"
if [ $# -ge 1 ]; then
    limits=(-max_total_time="$1")
    importLimits=(-max_total_time="$1")
else
    limits=(-runs=1000000 -max_total_time=180)
    importLimits=(-max_total_time=60)
fi
build-fuzz/fuzz/fuzz_reader -seed=1 "${limits[@]}" -max_len=65536 -timeout=5 -rss_limit_mb=2048 \
    -malloc_limit_mb=128 -dict=fuzz/msh.dict -artifact_prefix=build-fuzz/ -print_final_stats=1 \
    "$work" "$seeds"

echo "== fuzzing the importer"
importWork=build-fuzz/import-work
mkdir -p "$importWork"
build-fuzz/fuzz/fuzz_import -seed=1 "${importLimits[@]}" -max_len=131072 -timeout=10 -rss_limit_mb=2048 \
    -malloc_limit_mb=512 -artifact_prefix=build-fuzz/import- -print_final_stats=1 "$importWork" "$importSeeds" fuzz/import-seeds
