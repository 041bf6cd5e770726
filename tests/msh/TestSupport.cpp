// Tolmar MSH Viewer - helpers shared by the reader's tests.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"

LoadOutcome loadBytes (MshMesh& mesh, const void* data, size_t size)
{
    LoadOutcome outcome;
    outcome.loaded = mesh.loadFromMemory (data, size, [&outcome] (const MshWarning& w) { outcome.warnings.push_back (w); });
    outcome.error = mesh.getLoadError();
    return outcome;
}

LoadOutcome loadBytes (MshMesh& mesh, const juce::MemoryBlock& bytes)
{
    return loadBytes (mesh, bytes.getData(), bytes.getSize());
}

LoadOutcome loadFile (MshMesh& mesh, const juce::File& file)
{
    LoadOutcome outcome;
    outcome.loaded = mesh.loadFromFile (file, [&outcome] (const MshWarning& w) { outcome.warnings.push_back (w); });
    outcome.error = mesh.getLoadError();
    return outcome;
}

void writeBareObject (MshWriter& w, const char* name, juce::uint32 flags)
{
    w.shortString (name).int32 (0).int32 (0).uint32 (flags);
    w.zeros (64);                 // matrix
    for (int i = 0; i < 5; ++i)   // list4, list16, vertices, quadEntries, indices
        w.uint32 (0);
}

std::vector<const MshObject*> objectsInFileOrder (const MshObject& root)
{
    std::vector<const MshObject*> order, pending { &root };

    while (! pending.empty())
    {
        const auto* object = pending.back();
        pending.pop_back();
        order.push_back (object);

        if (object->nextSibling != nullptr) pending.push_back (object->nextSibling.get());
        if (object->firstChild != nullptr)  pending.push_back (object->firstChild.get());
    }

    return order;
}

namespace
{
    template <typename Block>
    void expectSameBlock (const std::unique_ptr<Block>& expected, const std::unique_ptr<Block>& actual)
    {
        ASSERT_EQ (expected == nullptr, actual == nullptr);

        if (expected != nullptr)
        {
            EXPECT_EQ (expected->name, actual->name);
            EXPECT_EQ (expected->data, actual->data);
        }
    }

    void expectSameQuads (const std::vector<MshQuadEntry>& expected, const std::vector<MshQuadEntry>& actual)
    {
        ASSERT_EQ (expected.size(), actual.size());

        for (size_t i = 0; i < expected.size(); ++i)
        {
            SCOPED_TRACE ("quad entry " + std::to_string (i));
            EXPECT_EQ (expected[i].q0, actual[i].q0);
            EXPECT_EQ (expected[i].q1, actual[i].q1);
            EXPECT_EQ (expected[i].q2, actual[i].q2);
            EXPECT_EQ (expected[i].q3, actual[i].q3);
            expectSameBlock (expected[i].blockA, actual[i].blockA);
            expectSameBlock (expected[i].blockB, actual[i].blockB);
        }
    }

    bool sameVertex (const MshVertex& a, const MshVertex& b)
    {
        return std::memcmp (&a, &b, sizeof (MshVertex)) == 0;
    }
}

void expectSameMesh (const MshMesh& expected, const MshMesh& actual)
{
    EXPECT_EQ (expected.headerString, actual.headerString);
    EXPECT_EQ (expected.headerBlock, actual.headerBlock);
    EXPECT_EQ (expected.headerFloat, actual.headerFloat);
    EXPECT_EQ (expected.headerInts, actual.headerInts);
    EXPECT_EQ (expected.list12A, actual.list12A);
    EXPECT_EQ (expected.list12B, actual.list12B);
    EXPECT_EQ (expected.list8, actual.list8);
    EXPECT_EQ (expected.list4, actual.list4);
    EXPECT_EQ (expected.list20, actual.list20);
    EXPECT_EQ (expected.shortList, actual.shortList);
    EXPECT_EQ (expected.list16, actual.list16);
    EXPECT_EQ (expected.list64, actual.list64);
    EXPECT_EQ (expected.record36List, actual.record36List);

    ASSERT_EQ (expected.tripleEntries.size(), actual.tripleEntries.size());
    for (size_t i = 0; i < expected.tripleEntries.size(); ++i)
    {
        auto& e = expected.tripleEntries[i];
        auto& a = actual.tripleEntries[i];
        EXPECT_EQ (e.t0, a.t0);
        EXPECT_EQ (e.t1, a.t1);
        EXPECT_EQ (e.t2, a.t2);
        expectSameBlock (e.blockA, a.blockA);
        expectSameBlock (e.blockB, a.blockB);
    }

    ASSERT_EQ (expected.pairSets.size(), actual.pairSets.size());
    for (size_t i = 0; i < expected.pairSets.size(); ++i)
    {
        EXPECT_EQ (expected.pairSets[i].pairCount, actual.pairSets[i].pairCount);
        EXPECT_EQ (expected.pairSets[i].pairIndex, actual.pairSets[i].pairIndex);
        EXPECT_EQ (expected.pairSets[i].pairValue, actual.pairSets[i].pairValue);
    }

    expectSameQuads (expected.quadEntries, actual.quadEntries);

    ASSERT_EQ (expected.namedGroups.size(), actual.namedGroups.size());
    for (size_t i = 0; i < expected.namedGroups.size(); ++i)
    {
        auto& e = expected.namedGroups[i];
        auto& a = actual.namedGroups[i];
        EXPECT_EQ (e.name, a.name);
        EXPECT_EQ (e.value, a.value);
        EXPECT_EQ (e.floatA, a.floatA);
        EXPECT_EQ (e.floatB, a.floatB);
        EXPECT_EQ (e.records, a.records);
        ASSERT_EQ (e.subGroups.size(), a.subGroups.size());

        for (size_t j = 0; j < e.subGroups.size(); ++j)
        {
            EXPECT_EQ (e.subGroups[j].intValue, a.subGroups[j].intValue);
            EXPECT_EQ (e.subGroups[j].floatValue, a.subGroups[j].floatValue);
            EXPECT_EQ (e.subGroups[j].records, a.subGroups[j].records);
        }
    }

    const auto expectedObjects = objectsInFileOrder (expected.root);
    const auto actualObjects = objectsInFileOrder (actual.root);
    ASSERT_EQ (expectedObjects.size(), actualObjects.size());

    for (size_t i = 0; i < expectedObjects.size(); ++i)
    {
        auto& e = *expectedObjects[i];
        auto& a = *actualObjects[i];
        SCOPED_TRACE ("object " + std::to_string (i) + " " + e.name.toStdString());
        EXPECT_EQ (e.name, a.name);
        EXPECT_EQ (e.valueA, a.valueA);
        EXPECT_EQ (e.valueB, a.valueB);
        EXPECT_EQ (e.flags, a.flags);
        EXPECT_EQ (e.isHp, a.isHp);
        EXPECT_EQ (0, std::memcmp (e.matrix.data(), a.matrix.data(), sizeof (e.matrix)));
        EXPECT_EQ (e.list4, a.list4);
        EXPECT_EQ (e.list16, a.list16);
        EXPECT_TRUE (std::equal (e.vertices.begin(), e.vertices.end(), a.vertices.begin(), a.vertices.end(), sameVertex));
        expectSameQuads (e.quadEntries, a.quadEntries);
        EXPECT_EQ (e.indices, a.indices);
        EXPECT_EQ (e.firstChild == nullptr, a.firstChild == nullptr);
        EXPECT_EQ (e.nextSibling == nullptr, a.nextSibling == nullptr);
    }
}

ScratchFolder::ScratchFolder()
    : folder (juce::File::createTempFile ("msh-tests"))
{
    folder.createDirectory();
}

ScratchFolder::~ScratchFolder()
{
    folder.deleteRecursively();
}

juce::File ScratchFolder::write (const juce::String& name, const juce::MemoryBlock& bytes) const
{
    // Not replaceWithData: given no bytes it deletes the file instead of leaving an empty one.
    auto target = file (name);
    target.deleteFile();
    juce::FileOutputStream out (target);

    if (bytes.getSize() > 0) // an empty block has no data pointer, which JUCE would hand to memcpy
        out.write (bytes.getData(), bytes.getSize());

    return target;
}
