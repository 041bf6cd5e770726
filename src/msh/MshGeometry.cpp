// Tolmar MSH Viewer - geometry facts of the model that the drawing, the tools and the tests share.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MshGeometry.h"

#include <cmath>

void mshForEachPlacedObject (const MshObject& start, bool withSiblings, std::array<double, 3> base,
                             const std::function<void (const MshObject&, double, double, double)>& visit)
{
    struct Pending
    {
        const MshObject* object;
        std::array<double, 3> parent; // where the parent's vertices go
    };

    std::vector<Pending> pending { { &start, base } };

    while (! pending.empty())
    {
        const auto item = pending.back();
        pending.pop_back();
        const auto& object = *item.object;
        const std::array<double, 3> placed { item.parent[0] + (double) object.matrix[12],
                                             item.parent[1] + (double) object.matrix[13],
                                             item.parent[2] + (double) object.matrix[14] };
        visit (object, placed[0], placed[1], placed[2]);

        // The object's own subtree before its next sibling, which sits beside it under the same parent.
        if (object.nextSibling != nullptr && (withSiblings || &object != &start))
            pending.push_back ({ object.nextSibling.get(), item.parent });

        if (object.firstChild != nullptr)
            pending.push_back ({ object.firstChild.get(), placed });
    }
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

MshTotals mshTotals (const MshObject& start, bool withSiblings, std::array<double, 3> base)
{
    MshTotals totals;

    mshForEachPlacedObject (start, withSiblings, base, [&totals] (const MshObject& object, double x, double y, double z)
    {
        ++totals.objects;
        totals.vertices += object.vertices.size();
        totals.trianglesLeftOut += mshForEachDrawableTriangle (object, [&] (const MshVertex& a, const MshVertex& b, const MshVertex& c)
        {
            ++totals.trianglesDrawn;

            for (const auto* v : { &a, &b, &c })
                if (std::isfinite (v->x) && std::isfinite (v->y) && std::isfinite (v->z))
                    totals.bounds.add (x + v->x, y + v->y, z + v->z);
        });
    });

    return totals;
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
