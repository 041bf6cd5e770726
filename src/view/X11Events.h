// Tolmar MSH Viewer - the event loop's guard on X11 (see EventLoopGuard.h).
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
//
// Apart from JUCE's code because Xlib's headers clash with its names.
#pragma once

// When events wait in the connection's queue, sends one to the context's own window, so the socket has
// data again and the event loop reads them all: a client message whose type is the atom named below.
void wakeForQueuedEvents (void* display, unsigned long window);
constexpr const char* wakeAtomName = "_TOLMAR_MSH_VIEWER_WAKE";
