// Tolmar MSH Viewer - the reduced copies of each new draw list, made on a thread of their own.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "scene/ReducedScene.h"

#include <juce_events/juce_events.h>

// For a list big enough to want one: first the objects' boxes, then the simplified copy, each handed over
// on the message thread as soon as it is made, unless a newer list has come meanwhile.
class ReducedCopies final
{
public:
    using Ready = std::function<void (std::shared_ptr<const ReducedScene>)>;

    explicit ReducedCopies (Ready whenReady);
    ~ReducedCopies();                                    // stops the work under way and waits for it

    void start (std::shared_ptr<const DrawList> list);   // cancels the copy of any list before

private:
    struct Shared
    {
        Ready ready;
        const DrawList* latest = nullptr;   // the message thread's alone
    };

    std::shared_ptr<Shared> shared;
    std::shared_ptr<std::atomic<bool>> cancelled;
    juce::ThreadPool pool { 1 };
};
