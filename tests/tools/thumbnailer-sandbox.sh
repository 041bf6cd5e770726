#!/bin/sh
# Tolmar MSH Viewer - the thumbnailer as GNOME runs it: installed into a staging prefix, its Exec line run
# in bubblewrap with /usr read-only, no /dev/dri, no display, no network, a private /tmp and the input at a
# temporary name. A good file gives a PNG of the asked size; a hostile one ends quickly and leaves no file.
# Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
set -eu
build=$1 good=$2 hostile=$3
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage/usr" >/dev/null
mkdir "$stage/out"
line=$(sed -n 's/^Exec=//p' "$stage/usr/share/thumbnailers/tolmar-msh-viewer.thumbnailer")
[ "$(sed -n 's/^MimeType=//p' "$stage/usr/share/thumbnailers/tolmar-msh-viewer.thumbnailer")" = "model/x-tolmar-msh;" ]

thumbnail() { # input, output name
    timeout 20 bwrap --ro-bind /usr /usr --symlink usr/lib /lib --symlink usr/lib64 /lib64 --symlink usr/bin /bin \
        --proc /proc --dev /dev --tmpfs /tmp --ro-bind "$stage/usr" "$stage/usr" --bind "$stage/out" "$stage/out" \
        --ro-bind "$1" /tmp/gnome-desktop-file-to-thumbnail.msh --unshare-all --die-with-parent --clearenv \
        --setenv PATH "$stage/usr/bin:/usr/bin" \
        sh -c "$(echo "$line" | sed "s|%s|128|; s|%i|/tmp/gnome-desktop-file-to-thumbnail.msh|; s|%o|$stage/out/$2|")"
}

thumbnail "$good" good.png
[ "$(od -An -tx1 -j12 -N12 "$stage/out/good.png" | tr -d ' \n')" = "4948445200000080""00000080" ] # IHDR, 128 × 128
status=0
thumbnail "$hostile" hostile.png || status=$?
[ "$status" = 2 ] # refused at once: not a hang (124), not a crash
[ "$(ls -A "$stage/out")" = "good.png" ]
echo "thumbnailer: a 128 x 128 PNG in the sandbox; none for the hostile file"
