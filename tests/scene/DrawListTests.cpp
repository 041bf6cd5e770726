// Tolmar MSH Viewer - what a frame draws: the list prepared at load and the reduced frames while turning.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/MshGeometry.h"
#include "samples/SampleMeshes.h"
#include "scene/DrawList.h"

#include <gtest/gtest.h>

#include <cmath>

TEST (DrawList, HoldsTheDrawnTrianglesOfEveryObjectInDrawingOrderCopyingOnlyWhereSomeAreLeftOut)
{
    MshMesh mesh;
    buildRichMesh (mesh);
    auto& a = *mesh.root.firstChild;
    a.indices.insert (a.indices.end(), { 0, 60000, 1,   2, 1, 0,   1, 2, 0,   0, 1 }); // left out, two kept, two trailing

    const auto list = makeDrawList (mesh.root);
    size_t i = 0, copies = 0, total = 0;
    mshForEachPlacedObject (mesh.root, true, { 0, 0, 0 }, [&] (const MshObject& o, double x, double y, double z)
    {
        ASSERT_LT (i, list.items.size());
        const auto& item = list.items[i++];
        std::vector<const MshVertex*> expected, actual;
        const auto leftOut = mshForEachDrawableTriangle (o, [&] (auto& p, auto& q, auto& r) { expected.insert (expected.end(), { &p, &q, &r }); });
        for (size_t c = 0; c < 3 * item.triangles; ++c)
            actual.push_back (item.vertices + item.indices[c]);

        EXPECT_TRUE (&o == item.object && item.placement == (std::array<double, 3> { x, y, z }) && expected == actual) << o.name;
        EXPECT_EQ (leftOut > 0, item.indices != o.indices.data()) << "a copy only where triangles are left out";
        copies += leftOut > 0 ? 1 : 0;
        total += item.triangles;
    });

    EXPECT_TRUE (i == list.items.size() && copies >= 2 && copies == list.filteredIndices.size() && total == list.triangles);
}

namespace
{
    // Four triangles over six vertices; 9 is past them. Where the bad one lies, what stays, and whether the
    // indices run 0, 1, 2, ... (then the frame draws plain arrays).
    struct LeftOutCase { const char* where; std::vector<juce::uint16> indices; std::vector<juce::uint16> kept; bool inOrder; };
    void PrintTo (const LeftOutCase& c, std::ostream* out) { *out << c.where; }

    class LeftOut : public ::testing::TestWithParam<LeftOutCase>
    {
    protected:
        DrawList listOf (const LeftOutCase& c)
        {
            object.vertices.resize (6);
            object.indices = c.indices;
            return makeDrawList (object);
        }

        MshObject object;
    };
}

TEST_P (LeftOut, TrianglesAnywhereAreDropped)
{
    const auto list = listOf (GetParam());
    const auto& item = list.items.at (0);
    EXPECT_EQ (GetParam().kept, std::vector<juce::uint16> (item.indices, item.indices + 3 * item.triangles));
    EXPECT_EQ (GetParam().kept.size() / 3, list.triangles);
}

TEST_P (LeftOut, OnlyCornersInOrderDrawWithoutIndices)
{
    EXPECT_EQ (GetParam().inOrder, listOf (GetParam()).items.at (0).inOrder);
}

INSTANTIATE_TEST_SUITE_P (DrawList, LeftOut, ::testing::Values (
    LeftOutCase { "none_left_out", { 0, 1, 2,  3, 4, 5,  0, 2, 4,  1, 3, 5 }, { 0, 1, 2,  3, 4, 5,  0, 2, 4,  1, 3, 5 }, false },
    LeftOutCase { "first",         { 9, 1, 2,  3, 4, 5,  0, 2, 4,  1, 3, 5 }, { 3, 4, 5,  0, 2, 4,  1, 3, 5 }, false },
    LeftOutCase { "middle",        { 0, 1, 2,  3, 9, 5,  0, 2, 4,  1, 3, 5 }, { 0, 1, 2,  0, 2, 4,  1, 3, 5 }, false },
    LeftOutCase { "last",          { 0, 1, 2,  3, 4, 5,  0, 2, 4,  1, 3, 9 }, { 0, 1, 2,  3, 4, 5,  0, 2, 4 }, false },
    LeftOutCase { "all",           { 9, 1, 2,  3, 9, 5,  0, 2, 9,  9, 9, 9 }, {}, false },
    LeftOutCase { "in_order",      { 0, 1, 2,  3, 4, 5 }, { 0, 1, 2,  3, 4, 5 }, true },
    LeftOutCase { "in_order_after_a_left_out_one", { 9, 9, 9,  0, 1, 2,  3, 4, 5 }, { 0, 1, 2,  3, 4, 5 }, true },
    LeftOutCase { "in_order_but_one", { 0, 1, 2,  3, 5, 4 }, { 0, 1, 2,  3, 5, 4 }, false }),
    [] (const auto& c) { return std::string (c.param.where); });

TEST (DrawList, ReducedFramesDrawEveryStepTriangleFromTheFirstWithAStepForAbout50Ms)
{
    struct { double fullMs; size_t step; } steps[] = {
        { 0, 1 }, { 100, 1 }, { 100.5, 3 }, { 150, 3 }, { 1000, 20 }, { 20000, 400 }, { std::nan (""), 1 }, { -5, 1 } };

    for (const auto& s : steps)
        EXPECT_EQ (s.step, reducedStep (s.fullMs)) << s.fullMs;

    MshObject object;
    for (juce::uint16 t = 0; t < 7; ++t)
        object.indices.insert (object.indices.end(), { t, t, t });
    object.vertices.resize (7);
    const auto item = makeDrawList (object).items.front();

    struct { size_t step; std::vector<juce::uint16> firstCorners; } reductions[] = {
        { 0, { 0, 1, 2, 3, 4, 5, 6 } }, { 1, { 0, 1, 2, 3, 4, 5, 6 } }, { 3, { 0, 3, 6 } }, { 6, { 0, 6 } }, { 50, { 0 } } };

    for (const auto& r : reductions)
    {
        std::vector<juce::uint16> out { 9, 9, 9 }, firstCorners;
        appendEveryStepTriangle (item, r.step, out);
        for (size_t c = 3; c < out.size(); c += 3)
            firstCorners.push_back (out[c]);
        EXPECT_EQ (r.firstCorners, firstCorners) << r.step;
        EXPECT_EQ (3 * r.firstCorners.size() + 3, out.size());
    }
}

TEST (DrawList, PacingReducesTurningFramesOnlyAfterASlowFullOne)
{
    FramePacing pacing;
    pacing.fullFrameFinished (100);
    EXPECT_EQ (1u, pacing.stepFor (true)) << "fast enough";
    pacing.fullFrameFinished (1000);
    EXPECT_TRUE (pacing.stepFor (false) == 1 && pacing.stepFor (true) == 20);
    pacing.reducedFrameFinished (20, 100); // twice the aim: twice the step
    EXPECT_EQ (40u, pacing.stepFor (true));
    pacing.reducedFrameFinished (40, 1);
    EXPECT_EQ (2u, pacing.stepFor (true)) << "never a full frame while turning a slow mesh";
    pacing.fullFrameFinished (100);
    EXPECT_EQ (1u, pacing.stepFor (true)) << "fast enough, whatever was learnt";
}

TEST (DrawList, PacingGivesUpOnlyALongFullFrameOfAnOlderScene)
{
    FramePacing pacing;
    struct { size_t step; bool newer; double elapsed; bool giveUp; } cases[] = {
        { 1, true, 101, true }, { 1, true, 100, false }, { 1, false, 5000, false }, { 2, true, 5000, false } };
    for (const auto& c : cases)
        EXPECT_EQ (c.giveUp, pacing.shouldGiveUp (c.step, c.newer, c.elapsed)) << c.step << " " << c.elapsed;
}

TEST (DrawList, AFullFrameGivenUpOnlyRaisesTheEstimateOfOne)
{
    FramePacing pacing;
    pacing.fullFrameFinished (100);
    pacing.fullFrameGivenUp (200, 1000, 10000); // a tenth drawn in 200 ms: 2 s for the whole
    pacing.fullFrameGivenUp (200, 0, 5);
    EXPECT_EQ (2000.0, pacing.lastFullMs) << "an estimate only ever raises it";
}

TEST (DrawList, LeavesHiddenObjectsOutAndMarksCollisionHulls)
{
    MshMesh mesh;
    addQuad (mesh.root, 2, 2);
    auto& hull = addChild (mesh.root, "hull", MshFlag::hidden);
    addQuad (hull, 2, 2);
    auto& gone = addChild (mesh.root, "gone");
    addQuad (gone, 2, 2);
    const auto list = makeDrawList (mesh.root, { &gone });
    ASSERT_EQ (2u, list.items.size());
    EXPECT_TRUE (list.items[0].object == &mesh.root && ! list.items[0].hull && list.items[1].object == &hull && list.items[1].hull);
    EXPECT_EQ (4u, list.triangles);
}
