// Tolmar MSH Viewer - the event loop's guard on X11: the render thread's GLX calls share JUCE's connection.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "EventLoopGuard.h"
#include "X11Events.h"

#include <GL/glx.h>

void EventLoopGuard::contextCreated()
{
    connection = glXGetCurrentDisplay();
    window = glXGetCurrentDrawable();
}

void EventLoopGuard::contextClosing()
{
    connection = nullptr;
    window = 0;
}

void EventLoopGuard::check()
{
    wakeForQueuedEvents (connection.load(), window.load());
}

void wakeForQueuedEvents (void* connection, unsigned long window)
{
    auto* display = static_cast<Display*> (connection);

    if (display == nullptr || window == 0 || XEventsQueued (display, QueuedAlready) == 0)
        return;

    // A client message of a type of our own, which JUCE passes over on every path; reading it reads the
    // queue too. (A type of None lands in JUCE's window-manager branch, which can take it for a close.)
    static Display* knownDisplay = nullptr;
    static Atom wakeType = None;

    if (display != knownDisplay)
    {
        wakeType = XInternAtom (display, wakeAtomName, False);
        knownDisplay = display;
    }

    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = wakeType;
    event.xclient.format = 32;
    XSendEvent (display, window, False, NoEventMask, &event);
    XFlush (display);
}
