// Tolmar MSH Viewer - the guard of the X event loop: the event it sends to wake the loop.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "view/X11Events.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h> // after gtest: its macros (None, Bool) take gtest's names

TEST (X11Events, TheWakeUpIsAClientMessageOfAPrivateTypeSentOnlyWhenEventsWait)
{
    // A connection and window of the test's own: what the guard sends arrives there.
    auto* display = XOpenDisplay (nullptr);
    ASSERT_NE (nullptr, display);
    const auto window = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 10, 10, 0, 0, 0);
    XSync (display, False);

    wakeForQueuedEvents (display, window);
    XSync (display, False);
    EXPECT_EQ (0, XPending (display)) << "nothing waits, nothing sent";

    XEvent waiting {};
    waiting.type = KeyPress;
    XPutBackEvent (display, &waiting);
    wakeForQueuedEvents (display, window);
    XSync (display, False);

    XEvent first {}, wake {};
    XNextEvent (display, &first);
    XNextEvent (display, &wake);
    const auto privateType = XInternAtom (display, wakeAtomName, True);
    EXPECT_EQ (KeyPress, first.type);
    EXPECT_TRUE (wake.type == ClientMessage && wake.xclient.window == window);
    EXPECT_TRUE (privateType != None && wake.xclient.message_type == privateType) << "JUCE reads a type of None as the window manager's";

    XDestroyWindow (display, window);
    XCloseDisplay (display);
}
