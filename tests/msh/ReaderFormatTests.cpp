// Tolmar MSH Viewer - the reader against files whose every byte the test wrote.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"
#include "tools/SampleMeshes.h"

namespace
{
    juce::MemoryBlock smallestFile()
    {
        juce::MemoryOutputStream out;
        MshWriter w (out);
        w.bytes ("not interpreted", 16).zeros (36);        // offset 0: 52 bytes skipped
        w.int16 (0);                                   // 52: headerString length 0
        for (int i = 0; i < 80; ++i)                   // 54: headerBlock, bytes 0..79
            w.bytes (&i, 1);
        w.uint32 (0xdeadbeef);                         // 134: skipped
        w.float32 (2.5f);                              // 138: headerFloat
        for (int i = 1; i <= 5; ++i)                   // 142: headerInts 1..5
            w.int32 (i);
        for (int list = 0; list < 13; ++list)          // 162: thirteen empty lists
            w.uint32 (0);
        w.int16 (0);                                   // 214: root name, length 0
        w.int32 (-7);                                  // 216: valueA
        w.int32 (8);                                   // 220: valueB
        w.uint32 (0x410);                              // 224: flags
        for (int i = 0; i < 16; ++i)                   // 228: matrix 0..15
            w.float32 ((float) i);
        for (int list = 0; list < 5; ++list)           // 292: list4, list16, vertices, quadEntries, indices
            w.uint32 (0);
        w.uint32 (MshMarker::objectEnd);               // 312: root end marker
        w.uint32 (MshMarker::fileEnd);                 // 316: file end marker
        return out.getMemoryBlock();                   // 320 bytes
    }
}

TEST (ReaderFormat, SmallestFileLoadsAsAnEmptyRootWithoutWarning)
{
    const auto bytes = smallestFile();
    ASSERT_EQ (320u, bytes.getSize());

    ScratchFolder scratch;
    MshMesh mesh;
    const auto outcome = loadFile (mesh, scratch.write ("smallest.msh", bytes));

    ASSERT_TRUE (outcome.loaded) << outcome.error;
    EXPECT_TRUE (outcome.warnings.empty());
    EXPECT_TRUE (mesh.headerString.isEmpty());

    for (int i = 0; i < 80; ++i) // with a zero-length string the block starts at offset 54
        EXPECT_EQ (i, mesh.headerBlock[(size_t) i]);

    EXPECT_EQ (2.5f, mesh.headerFloat);
    EXPECT_EQ ((std::array<juce::int32, 5> { 1, 2, 3, 4, 5 }), mesh.headerInts);
    EXPECT_TRUE (mesh.root.name.isEmpty());
    EXPECT_EQ (-7, mesh.root.valueA);
    EXPECT_EQ (8, mesh.root.valueB);
    EXPECT_EQ (0x410u, mesh.root.flags);

    for (int i = 0; i < 16; ++i)
        EXPECT_EQ ((float) i, mesh.root.matrix[(size_t) i]);

    EXPECT_EQ (nullptr, mesh.root.firstChild);
    EXPECT_EQ (nullptr, mesh.root.nextSibling);

    // The writer's own file for the same model is the same 320 bytes but for what nobody reads.
    const auto written = mshWriteToMemory (mesh);
    ASSERT_EQ (320u, written.getSize());
    EXPECT_EQ (0, std::memcmp (bytes.begin() + 52, written.begin() + 52, 82));   // string and block
    EXPECT_EQ (0, std::memcmp (bytes.begin() + 138, written.begin() + 138, 182)); // the rest
}

TEST (ReaderFormat, FilesOf1To51BytesLoadEmptyAfterTwoWarnings)
{
    MshMesh mesh;
    MshMesh rich;
    buildRichMesh (rich);
    const auto richBytes = mshWriteToMemory (rich);

    for (size_t size = 1; size <= 51; ++size)
    {
        SCOPED_TRACE ("size " + std::to_string (size));
        ASSERT_TRUE (loadBytes (mesh, richBytes).loaded); // something to clear first

        const std::vector<juce::uint8> bytes (size, 0x5a);
        const auto outcome = loadBytes (mesh, bytes.data(), bytes.size());

        ASSERT_TRUE (outcome.loaded);
        ASSERT_EQ (2u, outcome.warnings.size());
        EXPECT_EQ (MshWarning::Kind::objectEnd, outcome.warnings[0].kind);
        EXPECT_EQ (MshWarning::Kind::fileEnd, outcome.warnings[1].kind);
        EXPECT_EQ (0u, outcome.warnings[1].found);
        EXPECT_EQ ((juce::int64) size, outcome.warnings[1].offset);
        EXPECT_TRUE (mesh.headerString.isEmpty());
        EXPECT_EQ (0.0f, mesh.headerFloat);
        EXPECT_EQ ((std::array<juce::int32, 5> {}), mesh.headerInts);
        EXPECT_TRUE (mesh.list12A.empty() && mesh.namedGroups.empty() && mesh.tripleEntries.empty());
        EXPECT_TRUE (mesh.root.name.isEmpty());
        EXPECT_TRUE (mesh.root.vertices.empty() && mesh.root.indices.empty());
        EXPECT_EQ (nullptr, mesh.root.firstChild);
        EXPECT_EQ (nullptr, mesh.root.nextSibling);
        // A raw read past the end leaves what the previous load put there.
        EXPECT_EQ (rich.headerBlock, mesh.headerBlock);
        EXPECT_EQ (0, std::memcmp (rich.root.matrix.data(), mesh.root.matrix.data(), 64));
    }
}

TEST (ReaderFormat, MissingEmptyAndDirectoryGiveFalseWithoutWarningAndClearTheModel)
{
    ScratchFolder scratch;
    MshMesh rich;
    buildRichMesh (rich);
    const auto richFile = scratch.write ("rich.msh", mshWriteToMemory (rich));

    struct Case { juce::File file; const char* reason; };
    const Case cases[] = { { scratch.file ("missing.msh"), "no such file" },
                           { scratch.write ("empty.msh", {}), "the file is empty" },
                           { scratch.file ("folder.msh"), "is a directory" } };
    ASSERT_TRUE (cases[1].file.existsAsFile());
    cases[2].file.createDirectory();

    for (auto& [file, reason] : cases)
    {
        SCOPED_TRACE (file.getFileName().toStdString());
        MshMesh mesh;
        ASSERT_TRUE (loadFile (mesh, richFile).loaded);
        mesh.root.selected = true;

        const auto outcome = loadFile (mesh, file);
        EXPECT_FALSE (outcome.loaded);
        EXPECT_TRUE (outcome.warnings.empty());
        EXPECT_EQ (juce::String (reason), outcome.error);
        EXPECT_TRUE (mesh.root.name.isEmpty());
        EXPECT_FALSE (mesh.root.selected);
        EXPECT_EQ (nullptr, mesh.root.firstChild);
        EXPECT_EQ (nullptr, mesh.root.nextSibling);
        EXPECT_TRUE (mesh.root.vertices.empty() && mesh.list12A.empty() && mesh.namedGroups.empty());
        EXPECT_TRUE (mesh.headerString.isEmpty());
        // clear() leaves these as they were
        EXPECT_EQ (rich.headerBlock, mesh.headerBlock);
        EXPECT_EQ (rich.root.flags, mesh.root.flags);
    }
}

TEST (ReaderFormat, ShortStringsStopAtZeroButConsumeTheirLength)
{
    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.zeros (52);
    w.shortStringBytes (6, "ab\0cd\xe9", 6); // text "ab"; all 6 bytes consumed
    w.uint32 (0x11223344);                    // first word of headerBlock
    w.zeros (76);
    w.zeros (4).float32 (0).zeros (20);
    for (int i = 0; i < 13; ++i) w.uint32 (0);
    w.shortStringBytes (4, "n\xe9\xff\x01", 4);  // root name: Latin-1 and a control character
    w.int32 (0).int32 (0).uint32 (0).zeros (64);
    for (int i = 0; i < 5; ++i) w.uint32 (0);
    w.uint32 (MshMarker::objectEnd).uint32 (MshMarker::fileEnd);

    MshMesh mesh;
    const auto outcome = loadBytes (mesh, out.getMemoryBlock());
    ASSERT_TRUE (outcome.loaded);
    EXPECT_TRUE (outcome.warnings.empty());
    EXPECT_EQ (juce::String ("ab"), mesh.headerString);
    EXPECT_EQ (0x11223344u, juce::ByteOrder::littleEndianInt (mesh.headerBlock.data()));

    const juce::juce_wchar expectedName[] = { 'n', 0xe9, 0xff, 0x01, 0 };
    EXPECT_EQ (juce::String (juce::CharPointer_UTF32 (expectedName)), mesh.root.name);
}

TEST (ReaderFormat, NegativeHeaderStringSwallowsTheRestOfTheFile)
{
    MshMesh rich;
    buildRichMesh (rich);
    auto bytes = mshWriteToMemory (rich);
    // Overwrite the header string's length with -1 (0xFFFF); its text "rich été header" is followed by
    // the block, whose first byte is 1: no zero, so the text runs on until the block's first zero byte.
    bytes[52] = (char) 0xff;
    bytes[53] = (char) 0xff;

    MshMesh mesh;
    const auto outcome = loadBytes (mesh, bytes);
    ASSERT_TRUE (outcome.loaded);
    ASSERT_EQ (2u, outcome.warnings.size());
    EXPECT_EQ (MshWarning::Kind::objectEnd, outcome.warnings[0].kind);
    EXPECT_EQ ((juce::int64) bytes.getSize(), outcome.warnings[0].offset);
    EXPECT_EQ (MshWarning::Kind::fileEnd, outcome.warnings[1].kind);
    EXPECT_TRUE (mesh.headerString.startsWith (rich.headerString));
    EXPECT_TRUE (mesh.list12A.empty() && mesh.namedGroups.empty());
    EXPECT_TRUE (mesh.root.name.isEmpty());
}

TEST (ReaderFormat, PairSetsKeepTwoPairsAndSkipTheRestModulo32Bits)
{
    const auto build = [] (juce::uint32 pairs, size_t skippedBytes)
    {
        juce::MemoryOutputStream out;
        MshWriter w (out);
        MshMesh empty;
        w.header (empty);
        for (int i = 0; i < 6; ++i) w.uint32 (0);  // list12A .. tripleEntries
        w.uint32 (1);                               // pairSets: one set
        w.uint32 (pairs);                           //   P
        w.float32 (1.5f).int16 (7);                 //   pair 0
        w.float32 (-2.0f).int16 (-1);               //   pair 1
        w.zeros (skippedBytes);                     //   the pairs skipped
        w.uint32 (0);                               // quadEntries
        w.uint32 (1).int16 (0x4242);                // shortList: one value, proves where reading resumed
        for (int i = 0; i < 4; ++i) w.uint32 (0);   // list16 .. namedGroups
        writeBareObject (w, "after");
        w.uint32 (MshMarker::objectEnd).fileEnd();
        return out.getMemoryBlock();
    };

    struct Case { juce::uint32 pairs; size_t skipped; };
    // P = 5 skips 18 bytes; for P = 0x2AAAAAAD, (P - 2) × 6 = 0x100000002 wraps to 2.
    for (auto c : { Case { 5, 18 }, Case { 2, 0 }, Case { 0x2AAAAAADu, 2 } })
    {
        SCOPED_TRACE ("P = " + std::to_string (c.pairs));
        MshMesh mesh;
        const auto outcome = loadBytes (mesh, build (c.pairs, c.skipped));
        ASSERT_TRUE (outcome.loaded) << outcome.error;
        EXPECT_TRUE (outcome.warnings.empty());
        ASSERT_EQ (1u, mesh.pairSets.size());
        EXPECT_EQ (2u, mesh.pairSets[0].pairCount);
        EXPECT_EQ ((std::array<float, 2> { 1.5f, -2.0f }), mesh.pairSets[0].pairValue);
        EXPECT_EQ ((std::array<juce::uint16, 2> { 7, 0xffff }), mesh.pairSets[0].pairIndex);
        EXPECT_EQ ((std::vector<juce::uint16> { 0x4242 }), mesh.shortList);
        EXPECT_EQ (juce::String ("after"), mesh.root.name);
    }
}

TEST (ReaderFormat, QuadEntriesPutTheFirstValueInQ3KeepLow16BitsAndMayLackTheirBlocks)
{
    juce::MemoryOutputStream out;
    MshWriter w (out);
    MshMesh empty;
    w.header (empty);
    for (int i = 0; i < 7; ++i) w.uint32 (0);      // list12A .. pairSets
    w.uint32 (2);                                   // quadEntries: two
    w.int32 (1).int32 (2).int32 (3).int32 (4);      //   to q3, q0, q1, q2; no blocks, so the next 4 bytes
                                                    //   (the second entry's first value) are no marker
    w.int32 (0x12345).int32 (-1).int32 (0x10000).int32 (0x7fff8000);
    w.uint32 (MshMarker::namedBlock8).shortString ("b").bytes ("12345678", 8); // second entry's blockB
    for (int i = 0; i < 5; ++i) w.uint32 (0);       // shortList .. namedGroups
    writeBareObject (w, "root");
    w.uint32 (MshMarker::objectEnd).fileEnd();

    MshMesh mesh;
    const auto outcome = loadBytes (mesh, out.getMemoryBlock());
    ASSERT_TRUE (outcome.loaded) << outcome.error;
    EXPECT_TRUE (outcome.warnings.empty());
    ASSERT_EQ (2u, mesh.quadEntries.size());
    auto& first = mesh.quadEntries[0];
    EXPECT_EQ (1, first.q3);
    EXPECT_EQ (2, first.q0);
    EXPECT_EQ (3, first.q1);
    EXPECT_EQ (4, first.q2);
    EXPECT_EQ (nullptr, first.blockA);
    EXPECT_EQ (nullptr, first.blockB);
    auto& second = mesh.quadEntries[1];
    EXPECT_EQ (0x2345, second.q3);
    EXPECT_EQ (0xffff, second.q0);
    EXPECT_EQ (0, second.q1);
    EXPECT_EQ (0x8000, second.q2);
    EXPECT_EQ (nullptr, second.blockA);
    ASSERT_NE (nullptr, second.blockB);
    EXPECT_EQ (juce::String ("b"), second.blockB->name);
    EXPECT_EQ (0, std::memcmp ("12345678", second.blockB->data.data(), 8));
    EXPECT_EQ (juce::String ("root"), mesh.root.name);
}

TEST (ReaderFormat, EverythingWrittenReadsBackAndTrailingBytesAreIgnored)
{
    MshMesh rich;
    buildRichMesh (rich);
    auto bytes = mshWriteToMemory (rich);

    MshMesh mesh;
    auto outcome = loadBytes (mesh, bytes);
    ASSERT_TRUE (outcome.loaded) << outcome.error;
    EXPECT_TRUE (outcome.warnings.empty());
    EXPECT_TRUE (sameModel (rich, mesh));

    // Indices are kept as read, even the one past the vertex list and the trailing one.
    EXPECT_EQ (200, mesh.root.indices[36]);
    EXPECT_EQ (40u, mesh.root.indices.size());

    bytes.append ("trailing garbage \xff\xff", 19);
    outcome = loadBytes (mesh, bytes);
    ASSERT_TRUE (outcome.loaded);
    EXPECT_TRUE (outcome.warnings.empty());
    EXPECT_TRUE (sameModel (rich, mesh));
}

TEST (ReaderFormat, ASecondLoadReplacesTheFirstAndResetsHpAndSelection)
{
    MshMesh first, second;
    buildRichMesh (first);
    first.root.name = "hp_a";
    second.root.name = "base";

    MshMesh mesh;
    ASSERT_TRUE (loadBytes (mesh, mshWriteToMemory (first)).loaded);
    EXPECT_TRUE (mesh.root.isHp);
    mesh.root.selected = true;

    ASSERT_TRUE (loadBytes (mesh, mshWriteToMemory (second)).loaded);
    EXPECT_FALSE (mesh.root.isHp);
    EXPECT_FALSE (mesh.root.selected);
    EXPECT_TRUE (sameModel (second, mesh));
}
