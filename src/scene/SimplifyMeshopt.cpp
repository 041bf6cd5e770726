// Tolmar MSH Viewer - triangles simplified by meshoptimizer.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ReducedScene.h"

#include <meshoptimizer.h>

std::vector<juce::uint32> simplifiedTriangles (const std::vector<ReducedScene::Vertex>& vertices, const std::vector<juce::uint32>& indices,
                                               size_t targetTriangles)
{
    std::vector<juce::uint32> kept (indices.size());
    const auto positions = &vertices.data()->x;
    constexpr auto stride = sizeof (ReducedScene::Vertex);

    // The careful simplifier keeps the surface whole but stops at seams, and a file's vertices are often
    // split at every face; the sloppy one then merges by a grid, which keeps the outline.
    // Any error is allowed: the budget decides, and a reduced frame only needs the outline.
    auto count = meshopt_simplify (kept.data(), indices.data(), indices.size(), positions, vertices.size(), stride, 3 * targetTriangles, 1.0f, 0, nullptr);

    if (count > 3 * targetTriangles + 3 * targetTriangles / 4)
        count = meshopt_simplifySloppy (kept.data(), indices.data(), indices.size(), positions, vertices.size(), stride, 3 * targetTriangles, 1.0f, nullptr);

    kept.resize (count);
    return kept;
}
