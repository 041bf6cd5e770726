#!/bin/sh
# Tolmar MSH Viewer - the folders of src/ are layers, and a file includes only from its own or lower ones.
# Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
set -eu
cd "$1"
layers="msh samples document browser exchange view app tools"
rank() { n=0; for l in $layers; do [ "$l" = "$1" ] && { echo $n; return; }; n=$((n + 1)); done; echo 99; }
status=0
for file in $(find src -name '*.cpp' -o -name '*.h'); do
    own=$(rank "$(echo "$file" | cut -d/ -f2)")
    for folder in $(sed -n 's|^ *#include "\([a-z]*\)/.*|\1|p' "$file" | sort -u); do
        if [ "$(rank "$folder")" -gt "$own" ]; then
            echo "$file includes from $folder, a layer above its own" >&2
            status=1
        fi
    done
done
exit $status
