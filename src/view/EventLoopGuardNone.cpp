// Tolmar MSH Viewer - the event loop's guard where the window system's events do not share a connection
// with the render thread's GL calls (Windows): nothing to do.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "EventLoopGuard.h"

void EventLoopGuard::contextCreated()   {}
void EventLoopGuard::contextClosing()   {}
void EventLoopGuard::check()            {}
