// Tolmar MSH Viewer - geometry facts of the model that the drawing, the tools and the tests share.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MshGeometry.h"

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

void mshForEachPlacedObject (const MshObject& start, bool withSiblings, std::array<double, 3> base,
                             const std::function<void (const MshObject&, double, double, double)>& visit)
{
    // Where the vertices of the object last visited at each depth go: the parent's place for the next.
    std::vector<std::array<double, 3>> placed;

    mshForEachObject (start, withSiblings, [&] (const MshObject& object, int depth, juce::int64, juce::int64)
    {
        const auto parent = depth == 0 ? base : placed[(size_t) depth - 1];
        placed.resize ((size_t) depth + 1);
        placed[(size_t) depth] = { parent[0] + (double) object.matrix[12], parent[1] + (double) object.matrix[13], parent[2] + (double) object.matrix[14] };
        visit (object, placed[(size_t) depth][0], placed[(size_t) depth][1], placed[(size_t) depth][2]);
    });
}

std::optional<std::array<double, 3>> mshParentPlacement (const MshObject& root, const MshObject& target)
{
    std::optional<std::array<double, 3>> found;

    mshForEachPlacedObject (root, true, { 0, 0, 0 }, [&] (const MshObject& object, double x, double y, double z)
    {
        if (&object == &target)
            found = std::array<double, 3> { x - (double) object.matrix[12], y - (double) object.matrix[13], z - (double) object.matrix[14] };
    });

    return found;
}

void MshBounds::add (double x, double y, double z) noexcept
{
    const std::array<double, 3> p { x, y, z };

    for (size_t i = 0; i < 3; ++i)
    {
        min[i] = empty ? p[i] : std::min (min[i], p[i]);
        max[i] = empty ? p[i] : std::max (max[i], p[i]);
    }

    empty = false;
}

MshObjectBox mshObjectBox (const MshObject& object)
{
    // Two plain passes (indices, then the vertices in order) rather than one over the corners: the second
    // has no branch to take, and a big object's vertices are read once, in order.
    MshObjectBox box;
    const auto vertexCount = object.vertices.size();
    const auto* corner = object.indices.data();
    const auto triangles = object.indices.size() / 3;
    std::vector<juce::uint8> used (vertexCount, 0);

    for (size_t t = 0; t < triangles; ++t, corner += 3)
    {
        if (! mshIsDrawable (corner, vertexCount))
        {
            ++box.trianglesLeftOut;
            continue;
        }

        used[corner[0]] = used[corner[1]] = used[corner[2]] = 1;
    }

    box.trianglesDrawn = triangles - box.trianglesLeftOut;
    box.badIndices = (size_t) std::count_if (object.indices.begin(), object.indices.end(), [vertexCount] (juce::uint16 i) { return i >= vertexCount; });
    auto& low = box.low;
    auto& high = box.high;

    for (size_t i = 0; i < vertexCount; ++i)
    {
        const auto& v = object.vertices[i];
        const auto take = used[i] != 0 && std::isfinite (v.x) && std::isfinite (v.y) && std::isfinite (v.z);
        low = { std::min (low[0], take ? v.x : HUGE_VALF), std::min (low[1], take ? v.y : HUGE_VALF), std::min (low[2], take ? v.z : HUGE_VALF) };
        high = { std::max (high[0], take ? v.x : -HUGE_VALF), std::max (high[1], take ? v.y : -HUGE_VALF), std::max (high[2], take ? v.z : -HUGE_VALF) };
    }

    return box;
}

struct MshBoxesWhileLoading::Worker
{
    // Below this many vertices and indices an object's box costs less than handing it over.
    static constexpr size_t bigObject = 1 << 16;

    std::deque<MshObjectBox> boxes;   // grows at the back while the thread fills earlier ones
    std::deque<std::pair<const MshObject*, MshObjectBox*>> waiting;
    std::mutex lock;
    std::condition_variable wake, idle;
    bool loadDone = false;
    std::thread thread { [this] { run(); } };

    void run()
    {
        for (;;)
        {
            std::unique_lock<std::mutex> held (lock);
            wake.wait (held, [this] { return loadDone || ! waiting.empty(); });

            if (waiting.empty())
                return;

            const auto [object, box] = waiting.front();
            held.unlock();
            *box = mshObjectBox (*object); // the load no longer writes this object's lists
            held.lock();
            waiting.pop_front();
            idle.notify_all();
        }
    }

    void add (const MshObject* object)
    {
        if (object == nullptr)
        {
            // The load failed and is about to free its objects: none may still be looked at.
            std::unique_lock<std::mutex> held (lock);
            idle.wait (held, [this] { return waiting.empty(); });
            return;
        }

        auto& box = boxes.emplace_back();

        if (object->vertices.size() + object->indices.size() < bigObject)
        {
            box = mshObjectBox (*object);
            return;
        }

        {
            const std::lock_guard<std::mutex> held (lock);
            waiting.emplace_back (object, &box);
        }

        wake.notify_one();
    }

    void stop()
    {
        {
            const std::lock_guard<std::mutex> held (lock);
            loadDone = true;
        }

        wake.notify_one();

        if (thread.joinable())
            thread.join();
    }
};

MshBoxesWhileLoading::MshBoxesWhileLoading() : worker (std::make_unique<Worker>()) {}

MshBoxesWhileLoading::~MshBoxesWhileLoading()
{
    worker->stop();
}

MshObjectHandler MshBoxesWhileLoading::handler()
{
    return [this] (const MshObject* object) { worker->add (object); };
}

std::vector<MshObjectBox> MshBoxesWhileLoading::finish()
{
    worker->stop();
    std::vector<MshObjectBox> boxes (worker->boxes.begin(), worker->boxes.end());
    worker->boxes.clear();
    return boxes;
}

namespace
{
    template <typename BoxOf>
    MshTotals totalsOf (const MshObject& start, bool withSiblings, std::array<double, 3> base, BoxOf&& boxOf)
    {
        MshTotals totals;

        mshForEachPlacedObject (start, withSiblings, base, [&] (const MshObject& object, double x, double y, double z)
        {
            const auto box = boxOf (object);
            ++totals.objects;
            totals.vertices += object.vertices.size();
            totals.trianglesDrawn += box.trianglesDrawn;
            totals.trianglesLeftOut += box.trianglesLeftOut;

            // The placement added to the object's own box gives the same box as added to every corner: the
            // rounding of a sum keeps the order of its values. Corners placed where no number is are left
            // out, as the corners that are not finite themselves.
            const std::array<double, 6> corners { x + (double) box.low[0], y + (double) box.low[1], z + (double) box.low[2],
                                                  x + (double) box.high[0], y + (double) box.high[1], z + (double) box.high[2] };

            if (box.low[0] <= box.high[0] && std::all_of (corners.begin(), corners.end(), [] (double c) { return std::isfinite (c); }))
            {
                totals.bounds.add (corners[0], corners[1], corners[2]);
                totals.bounds.add (corners[3], corners[4], corners[5]);
            }
        });

        return totals;
    }
}

MshTotals mshTotals (const MshObject& start, bool withSiblings, std::array<double, 3> base)
{
    return totalsOf (start, withSiblings, base, [] (const MshObject& object) { return mshObjectBox (object); });
}

MshTotals mshTotals (const MshObject& root, const std::vector<MshObjectBox>& boxes)
{
    size_t next = 0;
    return totalsOf (root, true, { 0, 0, 0 }, [&] (const MshObject& object)
    {
        return next < boxes.size() ? boxes[next++] : mshObjectBox (object);
    });
}

std::vector<const MshObject*> mshAncestry (const MshObject& root, const MshObject& target)
{
    // Depth first, with the path to the current object as the only stack.
    std::vector<const MshObject*> path { &root };

    for (const auto* object = &root;;)
    {
        if (object == &target)
            return path;

        if (object->firstChild != nullptr)
        {
            object = object->firstChild.get();
            path.push_back (object);
            continue;
        }

        // On to the next sibling, of this object or of the nearest ancestor that has one below root.
        while (path.size() > 1 && object->nextSibling == nullptr)
        {
            path.pop_back();
            object = path.back();
        }

        if (path.size() == 1)
            return {};

        object = object->nextSibling.get();
        path.back() = object;
    }
}

const MshObject* mshFindByNames (const MshObject& root, const juce::StringArray& names)
{
    if (names.isEmpty() || names[0] != root.name)
        return nullptr;

    const auto* object = &root;

    for (int level = 1; level < names.size() && object != nullptr; ++level)
    {
        auto* child = object->firstChild.get();

        while (child != nullptr && child->name != names[level])
            child = child->nextSibling.get();

        object = child;
    }

    return object;
}
