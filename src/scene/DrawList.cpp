// Tolmar MSH Viewer - what a frame draws, prepared once per load.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "DrawList.h"
#include "msh/MshGeometry.h"

#include <cmath>

DrawList makeDrawList (const MshObject& root, const HiddenObjects& hidden)
{
    DrawList list;

    mshForEachPlacedObject (root, true, { 0, 0, 0 }, [&list, &hidden] (const MshObject& object, double x, double y, double z)
    {
        if (hidden.count (&object) != 0)
            return;

        DrawItem item { &object, { x, y, z }, object.vertices.data(), object.indices.data(), object.indices.size() / 3 };
        item.hull = (object.flags & MshFlag::hidden) != 0;
        const auto drawable = [vertexCount = object.vertices.size()] (const juce::uint16* corner) { return mshIsDrawable (corner, vertexCount); };

        size_t firstBad = 0;
        while (firstBad < item.triangles && drawable (item.indices + 3 * firstBad))
            ++firstBad;

        // Only an object with a triangle the view leaves out costs a copy of its indices.
        if (firstBad < item.triangles)
        {
            auto& kept = list.filteredIndices.emplace_back (item.indices, item.indices + 3 * firstBad);

            for (auto t = firstBad + 1; t < item.triangles; ++t)
                if (drawable (item.indices + 3 * t))
                    kept.insert (kept.end(), item.indices + 3 * t, item.indices + 3 * t + 3);

            item.indices = kept.data();
            item.triangles = kept.size() / 3;
        }

        // Without sharing, triangles are often stored with their corners in order; those need no indices.
        item.inOrder = item.triangles > 0;

        for (size_t i = 0; i < 3 * item.triangles && item.inOrder; ++i)
            item.inOrder = item.indices[i] == i;

        list.triangles += item.triangles;
        list.items.push_back (item);
    });

    return list;
}

size_t reducedStep (double lastFullFrameMs, double slowMs, double targetMs) noexcept
{
    if (! (lastFullFrameMs > slowMs) || ! (targetMs > 0))
        return 1;

    return (size_t) std::ceil (std::min (lastFullFrameMs / targetMs, 1.0e9));
}

void appendEveryStepTriangle (const DrawItem& item, size_t step, std::vector<juce::uint16>& out)
{
    step = std::max<size_t> (step, 1);

    for (size_t t = 0; t < item.triangles; t += step)
        out.insert (out.end(), item.indices + 3 * t, item.indices + 3 * t + 3);
}
