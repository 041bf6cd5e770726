#!/bin/sh
# Tolmar MSH Viewer - the Debian package as a user gets it: made by CPack from the build, clean to lintian
# (no error, no warning), holding the programs, their manual pages, the icon and the desktop and software
# centre entries, and the programs in it run.
# Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#
#   tests/app/deb-package.sh BUILD
set -eu
build=$(cd "$1" && pwd)
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
fail() { echo "deb package: $*" >&2; exit 1; }

cpack -G DEB -B "$folder" --config "$build/CPackConfig.cmake" >"$folder/cpack.log" 2>&1 || { cat "$folder/cpack.log"; fail "cpack failed"; }
deb=$(ls "$folder"/tolmar-msh-viewer_*_amd64.deb)
lintian --fail-on error,warning "$deb" 2>/dev/null || fail "lintian finds fault with $deb"

dpkg-deb -c "$deb" | awk '{ print $6 }' >"$folder/contents"
for path in usr/bin/tolmar-msh-viewer usr/bin/mshinfo usr/bin/mshconvert usr/bin/mshrender \
            usr/share/man/man1/tolmar-msh-viewer.1.gz usr/share/man/man1/mshconvert.1.gz \
            usr/share/icons/hicolor/scalable/apps/tolmar-msh-viewer.svg usr/share/applications/tolmar-msh-viewer.desktop \
            usr/share/metainfo/org.tolmar.MshViewer.metainfo.xml usr/share/doc/tolmar-msh-viewer/copyright; do
    grep -qx "./$path" "$folder/contents" || fail "the package holds no $path"
done

dpkg-deb -x "$deb" "$folder/root"
# The icon at every size the theme has a folder for, each a PNG of that size (read from its header).
for size in 16 24 32 48 64 128 256; do
    png="$folder/root/usr/share/icons/hicolor/${size}x${size}/apps/tolmar-msh-viewer.png"
    [ -f "$png" ] || fail "the package has no ${size}x${size} icon"
    [ "$(od -An -tx1 -j0 -N8 "$png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the ${size}x${size} icon is no PNG"
    [ "$(od -An -tu4 --endian=big -j16 -N8 "$png" | tr -s ' ')" = " $size $size" ] || fail "the ${size}x${size} icon is $(od -An -tu4 --endian=big -j16 -N8 "$png")"
done
# Each manual page as installed reads with man, with no warning from its formatter.
for page in tolmar-msh-viewer mshinfo mshconvert mshrender; do
    said=$(MANWIDTH=80 man --warnings -l "$folder/root/usr/share/man/man1/$page.1.gz" 2>&1 >"$folder/$page.txt") || fail "man -l $page.1.gz failed: $said"
    [ -z "$said" ] && grep -q "^NAME" "$folder/$page.txt" || fail "man -l $page.1.gz: ${said:-no NAME section}"
done

[ "$("$folder/root/usr/bin/tolmar-msh-viewer" --version)" = "tolmar-msh-viewer $(dpkg-deb -f "$deb" Version)" ] || fail "its viewer does not run"
"$folder/root/usr/bin/mshinfo" --version >/dev/null || fail "its mshinfo does not run"
echo "deb package: passed ($(basename "$deb"), $(wc -l <"$folder/contents") entries)"
