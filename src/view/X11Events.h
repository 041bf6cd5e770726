// Tolmar MSH Viewer - a guard for the X event loop while frames are drawn on another thread.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
//
// JUCE's X11 event loop reads events only when the connection's socket has data. The render thread draws
// through the same connection, and its GLX calls can pull waiting events off the socket into Xlib's queue,
// where they stay unseen (a click then does nothing until the mouse moves). These two functions live
// apart from JUCE's code because Xlib's headers clash with its names.
#pragma once

// The X connection of the GL context current on this thread, or nullptr.
void* currentGLDisplay();

// When events wait in the connection's queue, sends one to the context's own window, so the socket has
// data again and the event loop reads them all: a client message whose type is the atom named below.
void wakeForQueuedEvents (void* display, unsigned long window);
constexpr const char* wakeAtomName = "_TOLMAR_MSH_VIEWER_WAKE";

// The window the GL context current on this thread draws into, or 0.
unsigned long currentGLWindow();
