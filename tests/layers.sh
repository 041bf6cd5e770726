#!/bin/sh
# Tolmar MSH Viewer - the folders of src/ are layers, each one library named after its path, and a file
# includes only from its own folder or lower ones; the folders of tests/ mirror those of src/.
# Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
set -eu
cd "$1"
layers="msh samples document browser exchange exchange/export exchange/import scene drawing offscreen view app tools"
rank() { n=0; for l in $layers; do [ "$l" = "$1" ] && { echo $n; return; }; n=$((n + 1)); done; echo 99; }
status=0
say() { echo "$1" >&2; status=1; }

# Every folder of src/ with code is a layer, and builds one library named after its path.
for folder in $(find src -name '*.cpp' -o -name '*.h' -o -name '*.h.in' | xargs -n1 dirname | sort -u); do
    path=${folder#src/}
    [ "$(rank "$path")" = 99 ] && say "$folder is no layer"
    libraries=$(sed -n 's|^ *add_library(\([A-Za-z_:]*\) .*|\1|p' "$folder/CMakeLists.txt" 2>/dev/null || true)
    [ "$libraries" = "$(echo "$path" | tr / _)" ] || say "$folder builds '$libraries', not the one library $(echo "$path" | tr / _)"
done

# Includes go downward only: from a file's own layer or one below it.
for file in $(find src -name '*.cpp' -o -name '*.h'); do
    own=$(rank "$(dirname "${file#src/}")")
    for folder in $(sed -n 's|^ *#include "\([a-z/]*\)/[A-Za-z0-9_]*\.h".*|\1|p' "$file" | sort -u); do
        [ "$(rank "$folder")" -gt "$own" ] && say "$file includes from $folder, a layer above its own"
    done
done
# A test lives in the folder of the layer it tests (the GUI tests' support with the application's).
for folder in $(find tests -mindepth 2 -type f | xargs -n1 dirname | sort -u); do
    [ -d "src/${folder#tests/}" ] || say "$folder mirrors no folder of src/"
done
exit $status
