#!/usr/bin/env bash
# Installs what is missing, builds, and opens the viewer on the bundled sample mesh (or the file given).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

file="${*:-$here/examples/sample.msh}"
case "$file" in /*) ;; *) file="$PWD/$file" ;; esac

"$here/scripts/build.sh"

if [ -z "${DISPLAY:-}" ]; then
    echo "No display to open the viewer on (DISPLAY is not set). What it would show:" >&2
    exec "$here/build/src/tools/mshinfo" "$file"
fi

exec "$here/build/src/app/tolmar-msh-viewer" "$file"
