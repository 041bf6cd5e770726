// Tolmar MSH Viewer - picking the object under a point of the view, against positions worked out by hand.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "samples/SampleMeshes.h"
#include "scene/MeshPicking.h"

#include <gtest/gtest.h>

TEST (Picking, TheNearestDrawnTriangleUnderThePointWinsWherePlacedAsDrawn)
{
    // In a 100 × 100 view from 25 units away, 1 unit at depth 25 is 100 / (2 × 25 × tan 22.5°) = 4.83 pixels.
    MshMesh mesh;
    mesh.root.name = "far";
    addQuad (mesh.root, 4, 4);
    auto& near = addChild (mesh.root, "near");
    setTranslation (near, 2, 0, 5);                     // 20 from the eye: 6.04 pixels a unit
    addQuad (near, 2, 2);
    mesh.root.nextSibling = std::make_unique<MshObject>();
    mesh.root.nextSibling->name = "beside";
    setTranslation (*mesh.root.nextSibling, -4, 0, 0);  // beside the root, under no parent
    addQuad (*mesh.root.nextSibling, 2, 2);
    auto& behindTheEye = addChild (mesh.root, "behind the eye");
    setTranslation (behindTheEye, 0, 0, 30);
    addQuad (behindTheEye, 50, 50);

    // The near square in front of the far one, the far one beyond the near one's corner, the root's sibling,
    // the background twice; turned half round, the far square in front of the near one (and of the square
    // behind the eye, now beyond both), the near one beside it; moved, the pan comes first.
    ViewCamera camera;
    juce::StringArray seen;
    for (auto [x, y, turn, pan] : { std::tuple (50.0, 50.0, 0, 0), std::tuple (50 + 2 * 6.04, 50.0, 0, 0), std::tuple (50 + 1.9 * 4.83, 50 - 1.9 * 4.83, 0, 0),
                                    std::tuple (50 - 4.5 * 4.83, 50.0, 0, 0), std::tuple (50.0, 50 + 2.2 * 4.83, 0, 0), std::tuple (50 - 6 * 4.83, 50.0, 0, 0),
                                    std::tuple (50 - 1.5 * 4.83, 50.0, 180, 0), std::tuple (50 - 2.2 * 4.83, 50.0, 180, 0), std::tuple (50 + 4 * 6.04, 50.0, 0, 2) })
    {
        camera.rotation[1] = (float) turn;
        camera.pan[0] = (float) pan;
        const auto* picked = pickObject (camera, mesh.root, x, y, 100, 100);
        seen.add (picked != nullptr ? picked->name : "-");
    }
    EXPECT_EQ (juce::StringArray ({ "far", "near", "far", "beside", "-", "-", "far", "near", "near" }), seen);
}

TEST (Picking, OffCentreCornersArePlacedAsDrawn)
{
    // At depth 25, 4.83 pixels a unit (above). Corners off the object's origin, the object placed off the
    // world's: the point over them picks it, the point over their mirror image nothing.
    MshMesh off;
    setTranslation (off.root, 3, 2, 0);
    off.root.vertices = { { 0, 0, 0, 0, 0, 1, 0, 0 }, { 2, 0, 0, 0, 0, 1, 0, 0 }, { 0, 2, 0, 0, 0, 1, 0, 0 } };
    off.root.indices = { 0, 1, 2 };
    const ViewCamera camera;
    EXPECT_EQ (&off.root, pickObject (camera, off.root, 50 + 3.5 * 4.83, 50 - 2.5 * 4.83, 100, 100));
    EXPECT_EQ (nullptr, pickObject (camera, off.root, 50 + 2.5 * 4.83, 50 - 1.5 * 4.83, 100, 100));
}

TEST (Picking, APointOnAnEdgeHitsIt)
{
    // The ray through the middle of the view runs exactly along the edge x = 0.
    MshMesh off;
    const ViewCamera camera;
    off.root.indices = { 0, 1, 2 };
    off.root.vertices = { { 0, -1, 0, 0, 0, 1, 0, 0 }, { 1, 1, 0, 0, 0, 1, 0, 0 }, { 0, 1, 0, 0, 0, 1, 0, 0 } };
    EXPECT_EQ (&off.root, pickObject (camera, off.root, 50, 50, 100, 100));
}


TEST (Picking, AHiddenObjectIsLookedThroughToWhatLiesBehindIt)
{
    MshMesh mesh;
    mesh.root.name = "far";
    addQuad (mesh.root, 4, 4);
    auto& near = addChild (mesh.root, "near");
    setTranslation (near, 0, 0, 5);
    addQuad (near, 2, 2);
    const auto* behind = pickObject (ViewCamera(), mesh.root, 50, 50, 100, 100, { &near });
    const auto* nothing = pickObject (ViewCamera(), mesh.root, 50, 50, 100, 100, { &near, &mesh.root });
    EXPECT_TRUE (behind == &mesh.root && nothing == nullptr);
}
