// Tolmar MSH Viewer - a guard for the X event loop while frames are drawn on another thread.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "X11Events.h"

#include <GL/glx.h>

void* currentGLDisplay()
{
    return glXGetCurrentDisplay();
}

unsigned long currentGLWindow()
{
    return glXGetCurrentDrawable();
}

void wakeForQueuedEvents (void* connection, unsigned long window)
{
    auto* display = static_cast<Display*> (connection);

    if (display == nullptr || window == 0 || XEventsQueued (display, QueuedAlready) == 0)
        return;

    // A client message of no type: JUCE passes over it, but reading it reads the queue too.
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.format = 32;
    XSendEvent (display, window, False, NoEventMask, &event);
    XFlush (display);
}
