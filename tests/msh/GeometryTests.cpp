// Tolmar MSH Viewer - geometry facts of the model: which triangles are drawn.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/MshGeometry.h"

#include <gtest/gtest.h>

TEST (Geometry, OnlyTrianglesWithEveryCornerBelowTheVertexCountAreDrawn)
{
    MshObject object;
    for (int i = 0; i < 4; ++i)
        object.vertices.push_back ({ (float) i, 0, 0, 0, 0, 1, 0, 0 });
    object.indices = { 0, 1, 2,   4, 1, 2,   0, 4, 2,   0, 1, 4,   3, 3, 3,   65535, 0, 1,   2, 1 }; // 2 trailing

    std::vector<float> drawn;
    const auto leftOut = mshForEachDrawableTriangle (object, [&drawn] (const MshVertex& a, const MshVertex& b, const MshVertex& c)
    {
        drawn.insert (drawn.end(), { a.x, b.x, c.x });
    });
    EXPECT_EQ (4u, leftOut);
    EXPECT_EQ ((std::vector<float> { 0, 1, 2, 3, 3, 3 }), drawn);
}
