// Tolmar MSH Viewer - the object records: children, siblings, end markers, HP names, deep and long files.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"
#include "tools/MshInfoReport.h"

TEST (ReaderHierarchy, ChildrenAndSiblingsNestAsTheRecordsLie)
{
    // root { A { A1 } B }, marker by marker.
    juce::MemoryOutputStream out;
    MshWriter w (out);
    MshMesh empty;
    w.header (empty).meshLists (empty);
    writeBareObject (w, "root");
    w.uint32 (MshMarker::child);                                 // root's child ...
    writeBareObject (w, "A");
    w.uint32 (MshMarker::child);                                 // ... A's child
    writeBareObject (w, "A1");
    w.uint32 (MshMarker::objectEnd).uint32 (MshMarker::objectEnd); // A1 ends, A ends
    w.uint32 (MshMarker::sibling);                               // A's sibling
    writeBareObject (w, "B");
    w.uint32 (MshMarker::objectEnd).uint32 (MshMarker::objectEnd); // B ends, root ends
    w.fileEnd();

    MshMesh mesh;
    const auto outcome = loadBytes (mesh, out.getMemoryBlock());
    ASSERT_TRUE (outcome.loaded) << outcome.error;
    EXPECT_TRUE (outcome.warnings.empty());
    ASSERT_NE (nullptr, mesh.root.firstChild);
    auto& a = *mesh.root.firstChild;
    ASSERT_TRUE (a.firstChild != nullptr && a.nextSibling != nullptr);
    EXPECT_EQ (juce::String ("A"), a.name);
    EXPECT_EQ (juce::String ("A1"), a.firstChild->name);
    EXPECT_EQ (juce::String ("B"), a.nextSibling->name);
    EXPECT_TRUE (a.firstChild->firstChild == nullptr && a.firstChild->nextSibling == nullptr);
    EXPECT_TRUE (a.nextSibling->nextSibling == nullptr && mesh.root.nextSibling == nullptr);
    EXPECT_EQ (out.getMemoryBlock(), mshWriteToMemory (mesh)) << "the writer lays it out the same way";
}

TEST (ReaderHierarchy, TheHpMarkComesFromTheNameInAnyCaseOnEveryRead)
{
    for (auto [name, hp] : { std::pair ("HP_gun", true), std::pair ("hp_", true), std::pair ("Hp_x", true),
                             std::pair ("hP_y", true), std::pair ("gun_hp_", false), std::pair ("hp", false),
                             std::pair ("h_p", false), std::pair ("", false) })
    {
        MshMesh model, mesh;
        model.root.name = name;
        mesh.root.isHp = ! hp;
        ASSERT_TRUE (loadBytes (mesh, mshWriteToMemory (model)).loaded);
        EXPECT_EQ (hp, mesh.root.isHp) << name;
    }
}

TEST (ReaderHierarchy, EachWrongEndMarkerWarnsOnceInFileOrderAndTheLoadGoesOn)
{
    MshMesh rich; // root { A { HP_ÿ } B } beside_root
    buildRichMesh (rich);
    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.endMarkerFor = [] (const MshObject& o) { return o.name == "A" ? 0x01020304u : o.name == "B" ? 0u : MshMarker::objectEnd; };
    w.header (rich).meshLists (rich).object (rich.root).fileEnd (MshMarker::objectEnd);

    MshMesh mesh;
    const auto outcome = loadBytes (mesh, out.getMemoryBlock());
    ASSERT_TRUE (outcome.loaded);
    ASSERT_EQ (3u, outcome.warnings.size());
    EXPECT_EQ (juce::String ("A"), outcome.warnings[0].objectName);
    EXPECT_EQ (w.objects[1].endMarker, outcome.warnings[0].offset); // objects in file order: root, A, ...
    EXPECT_EQ (0x01020304u, outcome.warnings[0].found);
    EXPECT_EQ (juce::String ("B"), outcome.warnings[1].objectName);
    EXPECT_EQ (MshWarning::Kind::fileEnd, outcome.warnings[2].kind);
    EXPECT_EQ (w.fileEndOffset, outcome.warnings[2].offset);
    EXPECT_TRUE (sameModel (rich, mesh));

    // A child marker one bit off: no child; its 4 bytes are read as the root's end marker (a warning)
    // and the file end marker reads the child's first bytes (another).
    juce::MemoryOutputStream bad;
    MshWriter b (bad);
    MshMesh empty;
    b.header (empty).meshLists (empty);
    writeBareObject (b, "root");
    b.uint32 (MshMarker::child ^ 1u);
    writeBareObject (b, "A");
    b.uint32 (MshMarker::objectEnd).uint32 (MshMarker::objectEnd).fileEnd();
    const auto corrupted = loadBytes (mesh, bad.getMemoryBlock());
    EXPECT_EQ (nullptr, mesh.root.firstChild);
    ASSERT_EQ (2u, corrupted.warnings.size());
    EXPECT_EQ (MshMarker::child ^ 1u, corrupted.warnings[0].found);
}

TEST (ReaderHierarchy, AMillionLevelsDeepOrAMillionSiblingsLoadAndAreFreedWithoutRecursion)
{
    constexpr int count = 1000000;

    for (const bool deep : { true, false })
    {
        juce::MemoryBlock bytes;
        {
            MshMesh model;
            deep ? buildDeepChain (model, count) : buildLongChain (model, count);
            bytes = mshWriteToMemory (model);
        } // a million objects in one chain freed here

        auto mesh = std::make_unique<MshMesh>();
        const auto outcome = loadBytes (*mesh, bytes);
        ASSERT_TRUE (outcome.loaded) << outcome.error;
        EXPECT_TRUE (outcome.warnings.empty());

        int objects = 0, maxDepth = 0;
        juce::String last;
        forEachObjectInFileOrder (mesh->root, [&] (const MshObject& o, int depth, juce::int64, juce::int64)
        {
            ++objects;
            maxDepth = juce::jmax (maxDepth, depth);
            last = o.name;
        });
        EXPECT_EQ (deep ? count : count + 1, objects);
        EXPECT_EQ (deep ? count - 1 : 1, maxDepth);
        EXPECT_EQ (juce::String (deep ? "level999999" : "sibling999999"), last) << "in file order";

        ASSERT_TRUE (loadBytes (*mesh, bytes).loaded); // a second load clears the million first
        mesh.reset();
    }
}
