#!/usr/bin/env bash
# Runs a command with an X display: the one there is, or a private Xvfb started for it and stopped after.
# -noreset keeps the server (and the atoms created below) alive between one test program and the next.
# The screen is big enough for the window at a display scale of 2, so nothing of it lies off screen.
set -euo pipefail

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$@"
fi

# The first free display number from 90 up.
number=90
while [ -e "/tmp/.X${number}-lock" ] || [ -e "/tmp/.X11-unix/X${number}" ]; do
    number=$((number + 1))
done

Xvfb ":${number}" -screen 0 2560x2048x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT

export DISPLAY=":${number}"
for _ in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done

# Without a window manager nobody creates the window-manager atoms; JUCE looks them up without creating
# them and then ignores the system's close request and leaves windows without a state. Naming each one as
# a root property creates it for the life of the server; the properties themselves are removed at once.
for atom in WM_PROTOCOLS WM_TAKE_FOCUS WM_DELETE_WINDOW _NET_WM_PING WM_CHANGE_STATE WM_STATE \
            _NET_WM_WINDOW_TYPE _NET_WM_STATE _NET_WM_STATE_HIDDEN; do
    xprop -root -f "$atom" 8s -set "$atom" x >/dev/null 2>&1 || true
    xprop -root -remove "$atom" >/dev/null 2>&1 || true
done

"$@"
