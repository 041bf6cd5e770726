// Tolmar MSH Viewer - the object records: children, siblings, end markers, HP names, deep and long files.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"
#include "tools/SampleMeshes.h"

TEST (ReaderHierarchy, ChildrenAndSiblingsNestAsTheRecordsLie)
{
    // root { A { A1 } B }, written marker by marker.
    juce::MemoryOutputStream out;
    MshWriter w (out);
    MshMesh empty;
    w.header (empty).meshLists (empty);
    writeBareObject (w, "root");
    w.uint32 (MshMarker::child);       // root's child ...
    writeBareObject (w, "A");
    w.uint32 (MshMarker::child);       // ... A's child
    writeBareObject (w, "A1");
    w.uint32 (MshMarker::objectEnd);   // A1 ends
    w.uint32 (MshMarker::objectEnd);   // A ends
    w.uint32 (MshMarker::sibling);     // A's sibling
    writeBareObject (w, "B");
    w.uint32 (MshMarker::objectEnd);   // B ends
    w.uint32 (MshMarker::objectEnd);   // root ends
    w.uint32 (MshMarker::fileEnd);

    MshMesh mesh;
    const auto outcome = loadBytes (mesh, out.getMemoryBlock());
    ASSERT_TRUE (outcome.loaded) << outcome.error;
    EXPECT_TRUE (outcome.warnings.empty());

    auto& root = mesh.root;
    EXPECT_EQ (juce::String ("root"), root.name);
    ASSERT_NE (nullptr, root.firstChild);
    auto& a = *root.firstChild;
    EXPECT_EQ (juce::String ("A"), a.name);
    ASSERT_NE (nullptr, a.firstChild);
    EXPECT_EQ (juce::String ("A1"), a.firstChild->name);
    EXPECT_EQ (nullptr, a.firstChild->firstChild);
    EXPECT_EQ (nullptr, a.firstChild->nextSibling);
    ASSERT_NE (nullptr, a.nextSibling);
    EXPECT_EQ (juce::String ("B"), a.nextSibling->name);
    EXPECT_EQ (nullptr, a.nextSibling->nextSibling);
    EXPECT_EQ (nullptr, root.nextSibling);

    // The writer lays the same model out the same way.
    EXPECT_EQ (out.getMemoryBlock(), mshWriteToMemory (mesh));
}

TEST (ReaderHierarchy, HpMarkComesFromTheNameInAnyCase)
{
    struct Case { const char* name; bool hp; };
    const Case cases[] = { { "HP_gun", true }, { "hp_", true }, { "Hp_x", true }, { "hP_y", true },
                           { "gun_hp_", false }, { "hp", false }, { "h_p", false }, { "", false }, { "hpx", false } };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        MshMesh model;
        model.root.name = c.name;
        MshMesh mesh;
        mesh.root.isHp = ! c.hp; // set on every read, true or false
        ASSERT_TRUE (loadBytes (mesh, mshWriteToMemory (model)).loaded);
        EXPECT_EQ (c.hp, mesh.root.isHp);
    }
}

TEST (ReaderHierarchy, EachWrongEndMarkerWarnsOnceInFileOrder)
{
    MshMesh rich;
    buildRichMesh (rich); // root { A { HP_ÿ } B } beside_root

    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.endMarkerFor = [] (const MshObject& o)
    {
        return o.name == "A" ? 0x01020304u : o.name == "B" ? 0u : o.name == "beside_root" ? MshMarker::fileEnd
                                                                                          : MshMarker::objectEnd;
    };
    w.header (rich).meshLists (rich).object (rich.root).fileEnd (MshMarker::objectEnd);

    MshMesh mesh;
    const auto outcome = loadBytes (mesh, out.getMemoryBlock());
    ASSERT_TRUE (outcome.loaded);
    ASSERT_EQ (4u, outcome.warnings.size());

    const auto endOf = [&w, &rich] (const char* name)
    {
        const auto order = objectsInFileOrder (rich.root);
        for (size_t i = 0; i < order.size(); ++i)
            if (order[i]->name == name)
                return w.objects[i].endMarker;
        return juce::int64 (-1);
    };

    EXPECT_EQ (juce::String ("A"), outcome.warnings[0].objectName);
    EXPECT_EQ (endOf ("A"), outcome.warnings[0].offset);
    EXPECT_EQ (0x01020304u, outcome.warnings[0].found);
    EXPECT_EQ (juce::String ("B"), outcome.warnings[1].objectName);
    EXPECT_EQ (endOf ("B"), outcome.warnings[1].offset);
    EXPECT_EQ (juce::String ("beside_root"), outcome.warnings[2].objectName);
    EXPECT_EQ (MshWarning::Kind::fileEnd, outcome.warnings[3].kind);
    EXPECT_EQ (w.fileEndOffset, outcome.warnings[3].offset);
    EXPECT_EQ (MshMarker::objectEnd, outcome.warnings[3].found);

    // The load still succeeds with everything read.
    EXPECT_TRUE (sameModel (rich, mesh));
}

TEST (ReaderHierarchy, ACorruptedChildMarkerLeavesNoChildAndWarnsFurtherOn)
{
    // root with child A, but the child marker is off by one bit: the 4 bytes are then read as root's
    // end marker (warning), no sibling follows, and the file end marker reads A's first bytes (warning).
    juce::MemoryOutputStream out;
    MshWriter w (out);
    MshMesh empty;
    w.header (empty).meshLists (empty);
    writeBareObject (w, "root");
    w.uint32 (MshMarker::child ^ 1u);
    writeBareObject (w, "A");
    w.uint32 (MshMarker::objectEnd).uint32 (MshMarker::objectEnd).fileEnd();

    MshMesh mesh;
    const auto outcome = loadBytes (mesh, out.getMemoryBlock());
    ASSERT_TRUE (outcome.loaded);
    EXPECT_EQ (nullptr, mesh.root.firstChild);
    ASSERT_EQ (2u, outcome.warnings.size());
    EXPECT_EQ (MshMarker::child ^ 1u, outcome.warnings[0].found);
    EXPECT_EQ (MshWarning::Kind::fileEnd, outcome.warnings[1].kind);
}

TEST (ReaderHierarchy, AMillionLevelsDeepOrLongLoadAndDestroyWithoutRecursion)
{
    constexpr int count = 1000000;

    for (const bool deep : { true, false })
    {
        SCOPED_TRACE (deep ? "deep" : "long");
        juce::MemoryBlock bytes;
        {
            MshMesh model;
            deep ? buildDeepChain (model, count) : buildLongChain (model, count);
            bytes = mshWriteToMemory (model);
        } // the model is destroyed here, a million objects in a chain

        auto mesh = std::make_unique<MshMesh>();
        const auto outcome = loadBytes (*mesh, bytes);
        ASSERT_TRUE (outcome.loaded) << outcome.error;
        EXPECT_TRUE (outcome.warnings.empty());

        int objects = 0, maxDepth = 0;
        const MshObject* object = &mesh->root;

        for (int depth = 0; object != nullptr; ++objects)
        {
            maxDepth = juce::jmax (maxDepth, depth);

            if (object->firstChild != nullptr) { object = object->firstChild.get(); ++depth; }
            else object = object->nextSibling.get();
        }

        EXPECT_EQ (deep ? count : count + 1, objects);
        EXPECT_EQ (deep ? count - 1 : 1, maxDepth);

        // A second load clears the million objects first; then the mesh itself goes.
        ASSERT_TRUE (loadBytes (*mesh, bytes).loaded);
        mesh.reset();
    }
}
