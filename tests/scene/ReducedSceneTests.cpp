// Tolmar MSH Viewer - the reduced copy's boxes and budget, against values worked out by hand.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "samples/SampleMeshes.h"
#include "scene/ReducedScene.h"

#include <gtest/gtest.h>

TEST (ReducedScene, AnObjectsBoxIsItsPlacedCornersExtent)
{
    MshMesh mesh;
    auto& box = addChild (mesh.root, "box");
    setTranslation (box, 10, 20, 30);
    addBox (box, 2, 4, 6);
    const auto list = makeDrawList (mesh.root);
    const auto scene = makeBoxScene (list);
    ASSERT_EQ (12u, scene.triangles());
    std::array<float, 3> low { 1e9f, 1e9f, 1e9f }, high { -1e9f, -1e9f, -1e9f };
    for (const auto index : scene.indices)
    {
        const float at[] = { scene.vertices[index].x, scene.vertices[index].y, scene.vertices[index].z };
        for (size_t k = 0; k < 3; ++k)
        {
            low[k] = std::min (low[k], at[k]);
            high[k] = std::max (high[k], at[k]);
        }
    }
    EXPECT_EQ ((std::array<float, 6> { 9, 18, 27, 11, 22, 33 }), (std::array<float, 6> { low[0], low[1], low[2], high[0], high[1], high[2] }));
    EXPECT_TRUE (scene.parts.size() == 2 && scene.parts[1].object == &box && scene.parts[1].count == 36 && scene.parts[0].count == 0);
}

TEST (ReducedScene, KeepsWithinItsBudgetObjectsBigAndSmall)
{
   #if JUCE_WINDOWS
    GTEST_SKIP() << "no simplifier is built in here: every object is a box";
   #endif
    MshMesh mesh;
    buildBallBlock (mesh, 300);                        // 90,000 triangles in small objects
    addSphere (addChild (mesh.root, "big"), 50, 200, 200); // and 79,600 in one
    const auto list = makeDrawList (mesh.root);
    const std::atomic<bool> never { false };
    for (const size_t budget : { 2'000u, 20'000u })
    {
        const auto scene = makeReducedScene (list, budget, never);
        EXPECT_TRUE (scene->triangles() > budget / 4 && scene->triangles() <= budget + budget / 2) << budget << ": " << scene->triangles();
    }
}

TEST (ReducedScene, ACancelledCopyIsNone)
{
    MshMesh mesh;
    buildBallBlock (mesh, 8);
    const std::atomic<bool> cancelled { true };
    EXPECT_EQ (nullptr, makeReducedScene (makeDrawList (mesh.root), 100, cancelled));
}
