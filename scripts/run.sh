#!/usr/bin/env bash
# Installs what is missing, builds, and shows the bundled sample mesh (or the file given).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

file="${1:-$here/examples/sample.msh}"
case "$file" in /*) ;; *) file="$PWD/$file" ;; esac

"$here/scripts/build.sh"
exec "$here/build/src/tools/mshinfo" "$file"
