// Tolmar MSH Viewer - the window system's event loop kept awake while frames are drawn on another thread.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <atomic>

// Where the window system's events and the render thread's GL calls share one connection (X11), those
// calls can take waiting events into a queue JUCE's event loop does not look at until the next event
// comes (a click then waits for the mouse to move). check() wakes the loop whenever events wait so.
// Each window system has a file of its own for it; where there is no such connection it does nothing.
class EventLoopGuard final
{
public:
    void contextCreated();   // on the render thread, with the new context current
    void contextClosing();
    void check();            // on the message thread, a few times a second

private:
    std::atomic<void*> connection { nullptr };
    std::atomic<unsigned long> window { 0 };
};
