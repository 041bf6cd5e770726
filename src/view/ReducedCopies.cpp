// Tolmar MSH Viewer - the reduced copies of each new draw list, made on a thread of their own.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ReducedCopies.h"

ReducedCopies::ReducedCopies (Ready whenReady)
    : shared (std::make_shared<Shared>()), cancelled (std::make_shared<std::atomic<bool>> (false))
{
    shared->ready = std::move (whenReady);
}

ReducedCopies::~ReducedCopies()
{
    cancelled->store (true);
    pool.removeAllJobs (true, 10000);
}

void ReducedCopies::start (std::shared_ptr<const DrawList> list)
{
    cancelled->store (true);
    cancelled = std::make_shared<std::atomic<bool>> (false);
    shared->latest = list.get();

    if (list == nullptr || ! wantsReducedScene (*list))
        return;

    pool.addJob ([list, cancel = cancelled, weak = std::weak_ptr<Shared> (shared)]
    {
        // Handed over only if the copies are still wanted and this list is still the latest.
        const auto handOver = [&] (std::shared_ptr<ReducedScene> scene)
        {
            scene->keepAlive = list;
            juce::MessageManager::callAsync ([weak, scene]
            {
                if (const auto alive = weak.lock(); alive != nullptr && alive->latest == scene->source)
                    alive->ready (scene);
            });
        };

        handOver (std::make_shared<ReducedScene> (makeBoxScene (*list)));

        if (auto simplified = makeReducedScene (*list, reducedTriangleBudget, *cancel))
            handOver (std::move (simplified));
    });
}
