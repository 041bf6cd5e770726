#!/bin/sh
# Tolmar MSH Viewer - the Windows build under Wine, on an X display: every program carries the icon and
# its manifest; the tools give the Linux build's output byte for byte, expand wildcards, show names beyond
# ASCII in a console and refuse a read-only set; the unit tests pass; Windows paths open; the viewer shows
# its information box, then its window, F12 writes the picture the Linux drawing makes of the same view,
# and the window outlives quick maximise and restore cycles; the installer and its uninstaller put in and
# take away every part, and start opens a .msh file through the association. Wine shows no GL drawn into
# a child window on screen, so the picture read back by F12 is the proof of the drawing; screenshots
# check the rest of the window.
# Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#
#   tests/app/wine-smoke.sh WINDOWS_BUILD LINUX_BUILD
set -eu
win=$(cd "$1" && pwd) linux=$(cd "$2" && pwd)
folder=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$folder"' EXIT
pid=
export WINEDEBUG=-all WINEPREFIX="$win/wine-prefix"
fail() { echo "wine smoke test: $*" >&2; exit 1; }
seconds() { date +%s.%N; }

# A prefix of the build's own; without a window manager, keys reach boxes only in unmanaged windows.
if [ ! -d "$WINEPREFIX" ]; then
    wineboot --init >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi

# The zip's README is for Windows users: README.txt in Windows' line ends, naming every program it holds.
stage=$(ls -d "$win"/tolmar-msh-viewer-*-windows-x64 | head -1)
[ -f "$stage/README.txt" ] && [ ! -e "$stage/README.md" ] || fail "the zip holds no README.txt, or the repository's README.md"
[ "$(grep -c "$(printf '\r')\$" "$stage/README.txt")" = "$(wc -l <"$stage/README.txt")" ] || fail "README.txt has lines without CRLF"
for program in "$stage"/*.exe; do
    grep -q "$(basename "$program")" "$stage/README.txt" || fail "README.txt does not say what $(basename "$program") does"
done

# Every program carries the icon, made at every size, and the manifest that asks for UTF-8 and sharp drawing.
icon=$(icotool --list "$win/icons/tolmar-msh-viewer.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ')
[ "$icon" = "16 24 32 48 64 128 256 " ] || fail "the .ico holds the sizes $icon"
for program in "$stage"/*.exe; do
    wrestool --list --type=14 "$program" | grep -q . || fail "$(basename "$program") has no icon"
    wrestool --extract --raw --type=24 "$program" >"$folder/manifest.xml"
    grep -q '>UTF-8</activeCodePage>' "$folder/manifest.xml" && grep -q '>PerMonitorV2</dpiAwareness>' "$folder/manifest.xml" \
        && grep -q 'Microsoft.Windows.Common-Controls" version="6' "$folder/manifest.xml" || fail "$(basename "$program") has no manifest, or a wrong one"
done

cd "$folder"
"$linux/src/tools/mshgen" seeds seeds
cp seeds/sample.msh .
cp seeds/rich.msh "m$(printf '\303\266')tor.msh" # a name beyond ASCII

# The tools: the same bytes as the Linux build's, report and files alike.
for file in seeds/*.msh; do
    name=$(basename "$file" .msh)
    "$linux/src/tools/mshinfo" --json "$file" >"$name.linux.json" 2>/dev/null || true
    # Twice at most: a Wine whose server is still going down from a run before can lose a first start.
    for _ in 1 2; do
        wine "$win/src/tools/mshinfo.exe" --json "$file" >"$name.win.json" 2>/dev/null || true
        cmp -s "$name.win.json" "$name.linux.json" && break
    done
    cmp -s "$name.win.json" "$name.linux.json" || fail "mshinfo.exe --json $file differs from the Linux build's"
done

for format in glb gltf obj; do
    mkdir "win-$format" "linux-$format"
    wine "$win/src/tools/mshconvert.exe" --format $format -o "win-$format" seeds/sample.msh seeds/rich.msh seeds/deep.msh >/dev/null 2>&1 \
        || fail "mshconvert.exe --format $format failed"
    "$linux/src/tools/mshconvert" --format $format -o "linux-$format" seeds/sample.msh seeds/rich.msh seeds/deep.msh
    diff -r "win-$format" "linux-$format" >/dev/null || fail "mshconvert.exe --format $format wrote other files than the Linux build"
done

# A wildcard the console hands over as typed: the tools expand it, in name order.
wine "$win/src/tools/mshinfo.exe" --json '*.msh' >wildcard.json 2>&1 || fail "mshinfo.exe --json *.msh failed: $(cat wildcard.json)"
[ "$(sed -n 's/^{"file":"\([^"]*\)".*/\1/p' wildcard.json | tr '\n' ' ')" = "m$(printf '\303\266')tor.msh sample.msh " ] \
    || fail "mshinfo.exe --json *.msh did not report motor.msh and sample.msh: $(cut -c1-60 wildcard.json)"

# Back from glTF, over a file that is there already (Windows' rename does not replace: MoveFileEx does).
cp seeds/long.msh back.msh
wine "$win/src/tools/mshconvert.exe" win-glb/rich.glb -o back.msh >/dev/null 2>&1 || fail "mshconvert.exe from .glb failed"
cmp -s back.msh seeds/rich.msh || fail "rich.msh did not come back from .glb byte for byte"

# Drive letters, backslashes, a name beyond ASCII.
windows_path=$(winepath -w "$folder/m$(printf '\303\266')tor.msh" 2>/dev/null)
wine "$win/src/tools/mshinfo.exe" "$windows_path" >motor.txt 2>&1 || fail "mshinfo.exe could not open $windows_path"
grep -q 'loaded, 0 warnings' motor.txt || fail "mshinfo.exe did not read $windows_path"

# A console shows the characters, not UTF-8 bytes read in its code page (850, as in a Western European
# cmd): the tools write to it through WriteConsoleW, their messages too.
wine "$win/tests/console_read_back.exe" shown.txt "$win/src/tools/mshinfo.exe" "m$(printf '\303\266')tor.msh" "n$(printf '\303\266').msh" >/dev/null 2>&1 || true
grep -q "^file: m$(printf '\303\266')tor.msh\$" shown.txt && grep -q "^mshinfo: n$(printf '\303\266').msh: no such file" shown.txt \
    || fail "the console showed: $(grep -e '^file' -e '^mshinfo' shown.txt | tr '\n' ' ')"

# A read-only file in the way is refused in Windows' words; the set stays as it was, with nothing beside it.
mkdir readonly other
wine "$win/src/tools/mshconvert.exe" --format gltf -o readonly sample.msh >/dev/null 2>&1 || fail "mshconvert.exe --format gltf failed"
cp seeds/rich.msh other/sample.msh
chmod a-w readonly/sample.bin
(cd readonly && md5sum ./* >../readonly.md5)
! wine "$win/src/tools/mshconvert.exe" --format gltf -o readonly other/sample.msh >refused.txt 2>&1 || fail "mshconvert.exe replaced a read-only set"
grep -q 'sample.bin: Access.* denied\. (it is marked read-only)' refused.txt || fail "mshconvert.exe said: $(cat refused.txt)"
(cd readonly && md5sum -c --quiet ../readonly.md5 >/dev/null && [ "$(ls -A | wc -l)" = 3 ]) || fail "the refused set changed: $(ls -A readonly | tr '\n' ' ')"

wine "$win/tests/unit_tests.exe" >unit.txt 2>&1 || { tail -20 unit.txt >&2; fail "unit_tests.exe failed"; }

# The viewer: the information box first, then the window named after the file.
windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }
wait_for() { for _ in $(seq 600); do w=$(windows "$1" | head -1); [ -n "$w" ] && { echo "$w"; return; }; sleep 0.1; done; fail "no window $1"; }
started=$(seconds)
wine "$win/src/app/tolmar-msh-viewer.exe" sample.msh & pid=$!
box=$(wait_for '^Information v 0\.2\.1$')
echo "wine smoke test: the first window after $(echo "$(seconds) - $started" | bc) s"
[ -z "$(windows '^Tolmar MSH Viewer')" ] || fail "the window came before the information box"
xdotool windowfocus --sync "$box" key Return
window=$(wait_for '^Tolmar MSH Viewer - sample\.msh$')

# The tree's light blue where the tree is, in a screenshot, once Wine has painted the new window.
eval "$(xdotool getwindowgeometry --shell "$window")"
for _ in $(seq 50); do
    tree=$(import -window root -crop "200x200+$((X + 20))+$((Y + 80))" +repage -depth 8 -format '%[hex:p{100,150}]' info:)
    [ "$tree" = "ADD8E6" ] || [ "$tree" = "ADD8E6FF" ] && break
    sleep 0.1
done
[ "$tree" = "ADD8E6" ] || [ "$tree" = "ADD8E6FF" ] || fail "the tree is not there (a pixel of it reads $tree)"

# F12: the frame read back, against the Linux drawing of the same view at the same size.
xdotool windowfocus --sync "$window" key F12
for _ in $(seq 100); do [ -f sample-1.png ] && break; sleep 0.1; done
[ -f sample-1.png ] || fail "F12 wrote no picture"
"$linux/src/tools/mshrender" --size 480x472 --camera file sample.msh linux.png
differing=$(compare -metric AE -fuzz 3% sample-1.png linux.png null: 2>&1 || true)
[ "${differing%% *}" -lt 50 ] 2>/dev/null || fail "the picture under Wine differs from Linux's in $differing pixels"
background=$(convert sample-1.png -fuzz 1% -fill white -opaque 'rgb(204,0,102)' -fill black +opaque white -format '%[fx:mean]' info:)
awk "BEGIN { exit !($background < 0.97) }" || fail "the picture shows the background alone"
cp sample-1.png "$win/wine-picture.png" # kept for a look: the viewer's own frame under Wine

# Twenty quick turns of maximise and restore by double-clicks on the title bar, then the close button:
# the window keeps answering and is gone within 5 s.
eval "$(xdotool getwindowgeometry --shell "$window")"
restored="$WIDTH x $HEIGHT"
for cycle in $(seq 20); do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 60)) $((Y + 10)) click --repeat 2 --delay 80 1
    sleep 0.3
done
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH x $HEIGHT" = "$restored" ] || fail "after 20 maximise and restore cycles the window is $WIDTH x $HEIGHT, not $restored"
xdotool mousemove $((X + WIDTH - 12)) $((Y + 10)) click 1
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$pid" 2>/dev/null || fail "the viewer did not close within 5 s of its close button after 20 maximise and restore cycles"
wait "$pid" || fail "the viewer quit with status $?"
pid=

# The installer, silent, for this user: the programs, a Start-menu entry, .msh files opened by the viewer
# and, asked for with /PATH, the tools on PATH; then its uninstaller takes away every one of them.
installer=$(ls "$win"/../dist/tolmar-msh-viewer-*-windows-x64-setup.exe | head -1)
query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }       # (Wine's reg says what it misses on stdout)
gone() { ! wine reg query "$@" >/dev/null 2>&1; }
where() { winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')" 2>/dev/null; }
installed="$(where LOCALAPPDATA)/Programs/Tolmar MSH Viewer"
shortcut="$(where APPDATA)/Microsoft/Windows/Start Menu/Programs/Tolmar MSH Viewer.lnk"
# .msh files another program opens stay with it, unless the box is ticked (/ASSOCIATE when silent).
wine reg add 'HKCU\Software\Classes\.msh' /ve /d OtherEditor.msh /f >/dev/null 2>&1
wine "$installer" /S || fail "the installer failed"
wineserver -w
query 'HKCU\Software\Classes\.msh' /ve | grep -q OtherEditor.msh || fail "the installer took .msh files from the program that had them"
wine "$installed/uninstall.exe" /S || fail "the uninstaller failed"
wineserver -w
query 'HKCU\Software\Classes\.msh' /ve | grep -q OtherEditor.msh || fail "the uninstaller took the other program's .msh association"
wine "$installer" /S /PATH /ASSOCIATE || fail "the installer failed"
wineserver -w
for program in tolmar-msh-viewer mshinfo mshconvert mshgen uninstall; do
    [ -f "$installed/$program.exe" ] || fail "the installer put no $program.exe into $installed"
done
[ -f "$shortcut" ] || fail "the installer made no Start-menu entry"
query 'HKCU\Software\Classes\TolmarMshViewer.msh\shell\open\command' | grep -q 'tolmar-msh-viewer.exe" "%1"' || fail "the installer did not open .msh files with the viewer"
query 'HKCU\Environment' /v Path | grep -q 'Programs\\Tolmar MSH Viewer' || fail "the installer did not put the tools on PATH"
# start, as Explorer's double-click, finds the viewer through the association and opens the file in it.
# Windows reads a user's classes through HKEY_CLASSES_ROOT; Wine 8 reads the machine's alone, so the
# installer's keys are shown to it there for this run.
for key in .msh TolmarMshViewer.msh; do
    wine reg export "HKCU\\Software\\Classes\\$key" user.reg /y >/dev/null 2>&1 || fail "the installer wrote no $key class"
    iconv -f UTF-16 -t UTF-8 user.reg | sed 's/^\[HKEY_CURRENT_USER\\Software\\Classes/[HKEY_LOCAL_MACHINE\\Software\\Classes/' >machine.reg
    wine regedit /s machine.reg
done
wine cmd /c start "" "$(winepath -w "$folder/sample.msh")" >/dev/null 2>&1 || fail "start of sample.msh failed"
box=$(wait_for '^Information v 0\.2\.1$')
xdotool windowfocus --sync "$box" key Return
window=$(wait_for '^Tolmar MSH Viewer - sample\.msh$')
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH - 12)) $((Y + 10)) click 1
for _ in $(seq 100); do [ -z "$(windows '^Tolmar MSH Viewer')" ] && break; sleep 0.1; done
[ -z "$(windows '^Tolmar MSH Viewer')" ] || fail "the viewer opened by start did not quit"
wine reg delete 'HKLM\Software\Classes\.msh' /f >/dev/null 2>&1
wine reg delete 'HKLM\Software\Classes\TolmarMshViewer.msh' /f >/dev/null 2>&1
wine "$installed/uninstall.exe" /S || fail "the uninstaller failed"
wineserver -w
[ ! -e "$installed" ] && [ ! -e "$shortcut" ] || fail "the uninstaller left $(ls "$installed" "$shortcut" 2>/dev/null | head -3)"
gone 'HKCU\Software\Classes\TolmarMshViewer.msh' || fail "the uninstaller left the viewer's class"
query 'HKCU\Software\Classes\.msh' /ve | grep -q OtherEditor.msh || fail "the uninstaller did not give .msh files back to the program that had them"
wine reg delete 'HKCU\Software\Classes\.msh' /f >/dev/null 2>&1
! query 'HKCU\Environment' /v Path | grep -q 'Tolmar MSH Viewer' || fail "the uninstaller left the tools on PATH"
gone 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\TolmarMshViewer' || fail "the uninstaller left its entry in Windows' list"
echo "wine smoke test: passed (the tools as on Linux, $(grep -c '^\[       OK' unit.txt) unit tests, the viewer's picture within $differing pixels of Linux's, 20 maximise and restore cycles, the console, a read-only set refused, the installer, start through the association and the uninstaller)"
