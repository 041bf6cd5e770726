// Tolmar MSH Viewer - geometry facts of the model: which triangles are drawn.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/MshGeometry.h"
#include "msh/MshReader.h"
#include "msh/MshWriter.h"
#include "samples/SampleMeshes.h"

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

namespace
{
    // root (at 1, 0, 0) { a (at 0, 2, 0) { a1 }, b }, and beside the root s (at 0, 0, -5).
    struct Hierarchy
    {
        MshMesh mesh;
        MshObject& a = addChild (mesh.root, "a");
        MshObject& a1 = addChild (a, "a1");
        MshObject& b = addChild (mesh.root, "b");

        Hierarchy()
        {
            mesh.root.name = "root";
            setTranslation (mesh.root, 1, 0, 0);
            addQuad (mesh.root, 2, 2);
            setTranslation (a, 0, 2, 0);
            addQuad (a, 2, 4);
            a.indices.push_back (9); // two trailing indices: no triangle
            addQuad (a1, 1, 1);
            a1.indices.insert (a1.indices.end(), { 0, 1, 7 }); // left out
            a1.vertices[3].x = std::numeric_limits<float>::infinity(); // drawn, but no part of the box
            mesh.root.nextSibling = std::make_unique<MshObject>();
            setTranslation (*mesh.root.nextSibling, 0, 0, -5);
            addQuad (*mesh.root.nextSibling, 2, 2);
            for (auto& v : a.vertices) // off centre, so a sign turned round shows
                v.x += 1, v.y += 1;
            mesh.root.nextSibling->vertices[0].z = 1;
        }
    };
}

TEST (Geometry, TotalsCoverWhatIsDrawnWhereItIsPlaced)
{
    Hierarchy h;
    const auto all = mshTotals (h.mesh.root, true);
    EXPECT_EQ ((std::array<size_t, 4> { 5, 16, 8, 1 }), (std::array<size_t, 4> { all.objects, all.vertices, all.trianglesDrawn, all.trianglesLeftOut }));
    EXPECT_TRUE (all.bounds.min == (std::array<double, 3> { -1, -1, -5 }) && all.bounds.max == (std::array<double, 3> { 3, 5, 0 }));
    const auto subtree = mshTotals (h.a, false, *mshParentPlacement (h.mesh.root, h.a));
    EXPECT_TRUE (subtree.bounds.min == (std::array<double, 3> { 0.5, 1, 0 }) && subtree.bounds.max == (std::array<double, 3> { 3, 5, 0 }));
}

TEST (Geometry, AParentsPlacementSumsTheTranslationsAboveIt)
{
    Hierarchy h;
    EXPECT_EQ ((std::array<double, 3> { 1, 2, 0 }), *mshParentPlacement (h.mesh.root, h.a1));
    EXPECT_FALSE (mshParentPlacement (h.a, h.mesh.root).has_value());
    EXPECT_EQ ((std::array<double, 3> { 0, 0, 0 }), mshParentPlacement (h.mesh.root, *h.mesh.root.nextSibling).value_or (std::array<double, 3> { 9, 9, 9 }));
}

TEST (Geometry, APathOfNamesFromTheRootFindsItsObject)
{
    Hierarchy h;
    EXPECT_EQ ((std::vector<const MshObject*> { &h.mesh.root, &h.a, &h.a1 }), mshAncestry (h.mesh.root, h.a1));
    EXPECT_EQ ((std::vector<const MshObject*> { &h.mesh.root, &h.b }), mshAncestry (h.mesh.root, h.b));
    EXPECT_TRUE (mshAncestry (h.mesh.root, *h.mesh.root.nextSibling).empty() && mshAncestry (h.a1, h.mesh.root).empty());
    EXPECT_TRUE (mshFindByNames (h.mesh.root, { "root", "a", "a1" }) == &h.a1 && mshFindByNames (h.mesh.root, { "root", "b" }) == &h.b);
    EXPECT_TRUE (mshFindByNames (h.mesh.root, { "root", "a1" }) == nullptr && mshFindByNames (h.mesh.root, { "other" }) == nullptr);
}

TEST (Geometry, TranslationsAddUpAtAnyDepthWithoutRecursion)
{
    MshMesh deep;
    buildDeepChain (deep, 200000);
    double deepest = 0;
    for (auto* o = &deep.root; o != nullptr; o = o->firstChild.get())
        setTranslation (*o, 0, 0, 1);
    mshForEachPlacedObject (deep.root, true, { 0, 0, 0 }, [&deepest] (const MshObject&, double, double, double z) { deepest = std::max (deepest, z); });
    EXPECT_EQ (200000.0, deepest);
}

namespace
{
    // The rich mesh with a big object (enough to go to the second thread) and one after it, as a file.
    struct BigRich
    {
        juce::MemoryOutputStream out;
        MshWriter writer { out };

        BigRich()
        {
            MshMesh mesh;
            buildRichMesh (mesh);
            auto& big = addChild (*mesh.root.firstChild, "big");
            addSphere (big, 1, 150, 150);
            big.vertices[7].y = std::numeric_limits<float>::quiet_NaN();
            big.indices.push_back (60000);
            addChild (mesh.root, "after");
            writer.mesh (mesh);
        }
    };
}

TEST (Geometry, BoxesMadeWhileLoadingAreTheLoadedObjectsOwn)
{
    BigRich file;
    MshMesh loaded;
    MshBoxesWhileLoading maker;
    ASSERT_TRUE (mshLoadMemory (loaded, file.out.getData(), file.out.getDataSize(), {}, maker.handler()).ok());
    const auto boxes = maker.finish();
    size_t i = 0;
    mshForEachPlacedObject (loaded.root, true, { 0, 0, 0 }, [&] (const MshObject& object, double, double, double)
    {
        ASSERT_LT (i, boxes.size());
        const auto own = mshObjectBox (object), made = boxes[i++];
        EXPECT_TRUE (own.low == made.low && own.high == made.high && own.trianglesDrawn == made.trianglesDrawn
                     && own.trianglesLeftOut == made.trianglesLeftOut && own.badIndices == made.badIndices) << object.name;
    });
    EXPECT_EQ (i, boxes.size());
    const auto fromBoxes = mshTotals (loaded.root, boxes), walked = mshTotals (loaded.root, true);
    EXPECT_TRUE (fromBoxes.bounds.min == walked.bounds.min && fromBoxes.bounds.max == walked.bounds.max
                 && fromBoxes.trianglesDrawn == walked.trianglesDrawn && fromBoxes.trianglesLeftOut == walked.trianglesLeftOut);
}

TEST (Geometry, AFailedLoadFreesWhatItReadOnlyOnceTheBoxesAreMade)
{
    // A list count after the big object that cannot fit: the load fails and frees what it read, but only
    // once the second thread is done with it (AddressSanitizer would see it otherwise).
    BigRich file;
    MshMesh loaded;
    auto bytes = file.out.getMemoryBlock();
    mshPutLittleEndian32 (static_cast<char*> (bytes.getData()) + file.writer.counts.back().offset, 0xfffffff0u);
    MshBoxesWhileLoading failing;
    EXPECT_FALSE (mshLoadMemory (loaded, bytes.getData(), bytes.getSize(), {}, failing.handler()).ok());
    EXPECT_LT (failing.finish().size(), file.writer.objects.size());
}
