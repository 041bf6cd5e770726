#!/bin/sh
# Tolmar MSH Viewer - the real program on a real (virtual) display, driven with xdotool: the wiring that
# only the whole program shows. Started with a file, the information box comes before the window; "Load
# MSH" through JUCE's own chooser loads a file with a wrong end marker, and behind the boxes the window is
# painted again where the chooser was; the title follows; I lays the information over the view; F12 saves
# the picture mshrender draws of the same view; Ctrl+Q quits with status 0.
# Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
set -eu
viewer=$1 mshgen=$2 mshrender=$3
folder=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$folder"' EXIT
"$mshgen" sample "$folder/e2e sample.msh"
"$mshgen" sample "$folder/second.msh"                   # with its first object end marker zeroed
marker=$(LC_ALL=C grep -obUaP '\x64\xb8\x3e\xa9' "$folder/second.msh" | head -1 | cut -d: -f1)
printf '\0\0\0\0' | dd of="$folder/second.msh" bs=1 seek="$marker" conv=notrunc 2>/dev/null

fail() { echo "end-to-end: $*" >&2; exit 1; }
windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }
wait_for() { # a window name pattern; prints the window once it is there, 30 seconds at most
    for _ in $(seq 300); do w=$(windows "$1" | head -1); [ -n "$w" ] && { echo "$w"; return; }; sleep 0.1; done
    fail "no window $1"
}
wait_gone() { for _ in $(seq 300); do [ -z "$(windows "$1")" ] && return; sleep 0.1; done; fail "$1 stays"; }
press() { xdotool windowfocus --sync "$1" key --clearmodifiers "$2"; }
click() { eval "$(xdotool getwindowgeometry --shell "$1")"; xdotool mousemove --sync $((X + $2)) $((Y + $3)) click 1; }
answer() { press "$(wait_for "^$1\$")" Return; wait_gone "^$1\$"; }
share() { # of the view's background colour in its rows from $1 down ($2 of them, or all; $3 columns, or all)
    import -window root -crop "${3:-480}x${2:-$((472 - $1))}+$((X + 265))+$((Y + 68 + $1))" +repage miff:- |
        convert - -fuzz 1% -fill white -opaque 'rgb(204,0,102)' -fill black +opaque white -format '%[fx:mean]' info:
}
until_share() { # rows from, low, high[, rows, columns]: waits until the share lies between
    for _ in $(seq 30); do s=$(share "$1" ${4:-} ${5:-}); awk "BEGIN { exit !($s >= $2 && $s <= $3) }" && return; sleep 0.1; done
    fail "background share $s below row $1, not between $2 and $3"
}

# Asked for help or the version, it answers on standard output and opens no window.
"$viewer" --help | grep -q '^usage: tolmar-msh-viewer \[--watch\] \[FILE.msh\]$' || fail "--help gives no usage"
[ "$("$viewer" --version)" = "tolmar-msh-viewer 0.2.1" ] || fail "--version says $("$viewer" --version)"
! "$viewer" --version >/dev/full 2>/dev/null || fail "--version into a full disk says success"

cd "$folder" && "$viewer" e2e sample.msh & pid=$!
wait_for '^Information v 0\.2\.1$' >/dev/null
[ -z "$(windows '^Tolmar MSH Viewer')" ] || fail "the window came before the information box"
answer 'Information v 0\.2\.1'
window=$(wait_for '^Tolmar MSH Viewer - e2e sample\.msh$')

click "$window" 702 50                                  # "Load MSH"
chooser=$(wait_for '^Please select the \.msh you want to load\.\.\.$')
eval "$(xdotool getwindowgeometry --shell "$chooser")"
click "$chooser" $((WIDTH / 2)) $((HEIGHT - 64))         # its "file:" box
xdotool type --delay 5 "$folder/second.msh"
press "$chooser" Return; press "$chooser" Return          # selects the file, then opens it
wait_for '^WARNING$' >/dev/null
eval "$(xdotool getwindowgeometry --shell "$window")"
until_share 390 0.99 1                                   # below the box: the view's background, no chooser
answer 'WARNING'
wait_for '^Information v 0\.2\.1$' >/dev/null
until_share 0 0.5 0.97                                   # behind the box: the new mesh
answer 'Information v 0\.2\.1'
wait_for '^Tolmar MSH Viewer - second\.msh$' >/dev/null

until_share 0 0.5 1 50 300                               # the top left of the view, then the information over it
press "$window" i
until_share 0 0 0.08 50 300                              # (its white text counts as background)
press "$window" F12
for _ in $(seq 100); do [ -f "$folder/second-1.png" ] && break; sleep 0.1; done
[ -f "$folder/second-1.png" ] || fail "F12 saved no picture"
# mshrender draws into a buffer of its own, where llvmpipe puts the odd edge pixel differently.
"$mshrender" --size 480x472 --camera file "$folder/second.msh" "$folder/drawn.png" 2>/dev/null
differing=$(compare -metric AE "$folder/second-1.png" "$folder/drawn.png" null: 2>&1 || true)
[ "$differing" -lt 10 ] 2>/dev/null || fail "F12's picture, copied from the kept scene, differs from a drawing of it in $differing pixels"
# The first click on a row after the boxes gives the tree the keys (no window focus asked for here).
click "$window" 60 78
xdotool key --clearmodifiers Right Down
selected_share() { import -window root -crop "100x8+$((X + 150))+$((Y + 94))" +repage miff:- |
    convert - -fuzz 8% -fill white -opaque 'rgb(40,100,160)' -fill black +opaque white -format '%[fx:mean]' info:; }
for _ in $(seq 30); do awk "BEGIN { exit !($(selected_share) > 0.9) }" && break; sleep 0.1; done
awk "BEGIN { exit !($(selected_share) > 0.9) }" || fail "the arrow keys after the first click on a row did not move the selection"
press "$window" ctrl+q
wait "$pid" || fail "the viewer quit with status $?"
echo "end-to-end: passed"
