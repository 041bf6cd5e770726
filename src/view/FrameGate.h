// Tolmar MSH Viewer - frames held back while the view's GL window changes size.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_events/juce_events.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// The render thread makes its context current and swaps buffers on the GL window; the message thread
// moves and sizes that window. Under Wine the two lock the window system in opposite orders: a frame
// begun or swapped while the window changes size stops both threads for good (maximise and restore in
// quick turns did it in a few cycles). So the message thread, before the window changes, has a frame
// stop at its start, where its context is current and no swap is under way, and lets it go once the
// change is done.
class FrameGate final : private juce::Timer
{
public:
    using Clock = std::chrono::steady_clock;

    // Message thread, before the window changes: closes the gate (when frames are being drawn at all)
    // and opens it once the window has kept its size for a moment.
    void hold (const std::function<void()>& askForFrame, bool framesWillCome);

    // Message thread: closes the gate, asks for a frame and waits until the render thread stands at the
    // gate, for `patience` at most (no frame comes before the first, nor while the view is hidden).
    // True when it stands there.
    bool close (const std::function<void()>& askForFrame, Clock::duration patience);
    void open();

    // Render thread, at a frame's start: waits while the gate is closed, for `patience` at most, so a
    // gate nobody opens holds no frame for ever.
    void pass (Clock::duration patience);

private:
    void timerCallback() override;

    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false, standing = false;
    std::atomic<bool> framesSeen { false };
};
