// Tolmar MSH Viewer - geometry facts of the model that the drawing, the tools and the tests share.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "MshModel.h"

// Calls visit (a, b, c) with the three vertices of every triangle the view draws, in index order. Entries
// 3t, 3t+1 and 3t+2 of indices make triangle t; one whose corner is not below the vertex count is left
// out whole, and one or two trailing entries make no triangle. Returns how many were left out.
template <typename Visit>
size_t mshForEachDrawableTriangle (const MshObject& object, Visit&& visit)
{
    const auto* vertices = object.vertices.data();
    const auto vertexCount = object.vertices.size();
    const auto* corner = object.indices.data();
    const auto triangleCount = object.indices.size() / 3;
    size_t leftOut = 0;

    for (size_t t = 0; t < triangleCount; ++t, corner += 3)
    {
        if (corner[0] >= vertexCount || corner[1] >= vertexCount || corner[2] >= vertexCount)
            ++leftOut;
        else
            visit (vertices[corner[0]], vertices[corner[1]], vertices[corner[2]]);
    }

    return leftOut;
}
