// Tolmar MSH Viewer - frames held back while the view's GL window changes size.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "FrameGate.h"

void FrameGate::hold (const std::function<void()>& askForFrame, bool framesWillCome)
{
    if (! framesWillCome || ! framesSeen)
        return;

    close (askForFrame, std::chrono::seconds (1)); // a whole frame of a big mesh may be under way
    startTimer (150);
}

void FrameGate::timerCallback()
{
    stopTimer();
    open();
}

bool FrameGate::close (const std::function<void()>& askForFrame, Clock::duration patience)
{
    std::unique_lock lock (mutex);

    if (! closed)
    {
        closed = true;
        lock.unlock();
        askForFrame(); // unlocked: asking may wake the render thread, which then takes the lock
        lock.lock();
    }

    return changed.wait_for (lock, patience, [this] { return standing; });
}

void FrameGate::open()
{
    {
        const std::scoped_lock lock (mutex);
        closed = false;
    }

    changed.notify_all();
}

void FrameGate::pass (Clock::duration patience)
{
    framesSeen = true;
    std::unique_lock lock (mutex);

    if (! closed)
        return;

    standing = true;
    changed.notify_all();
    changed.wait_for (lock, patience, [this] { return ! closed; });
    standing = false;
}
