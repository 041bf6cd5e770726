// Tolmar MSH Viewer - picking the object under a point of the view, against positions worked out by hand.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "tools/SampleMeshes.h"
#include "view/MeshPicking.h"

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

    ViewCamera camera;
    const auto nameAt = [&] (double x, double y) { const auto* o = pickObject (camera, mesh.root, x, y, 100, 100); return o != nullptr ? o->name : "-"; };
    EXPECT_EQ (juce::String ("far"), nameAt (50, 50));
    EXPECT_EQ (juce::String ("near"), nameAt (50 + 2 * 6.04, 50));      // in front of the far square
    EXPECT_EQ (juce::String ("far"), nameAt (50 + 1.9 * 4.83, 50 - 1.9 * 4.83)); // beyond the near one's corner
    EXPECT_EQ (juce::String ("beside"), nameAt (50 - 4.5 * 4.83, 50));
    EXPECT_EQ (juce::String ("-"), nameAt (50, 50 + 2.2 * 4.83));       // background
    EXPECT_EQ (juce::String ("-"), nameAt (50 - 6 * 4.83, 50));

    // Turned half round, the near square is behind the far one (and the square behind the eye in front of
    // it all, but beyond); moved, the pan comes first.
    camera.rotation[1] = 180;
    EXPECT_EQ (juce::String ("far"), nameAt (50 - 1.5 * 4.83, 50));
    EXPECT_EQ (juce::String ("near"), nameAt (50 - 2.2 * 4.83, 50));
    camera.rotation[1] = 0;
    camera.pan = { 2, 0 };
    EXPECT_EQ (juce::String ("near"), nameAt (50 + 4 * 6.04, 50));
}
