// Tolmar MSH Viewer - the reader against files whose every byte the test wrote.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"

namespace
{
    // Header, thirteen empty lists up to (not including) list number `stop`, for hand-built files.
    void writeHeaderAndEmptyLists (MshWriter& w, int stop)
    {
        MshMesh empty;
        w.header (empty);
        for (int list = 0; list < stop; ++list)
            w.uint32 (0);
    }

    // The rest of a file after the lists: a bare root named "root", its end marker, the file end marker.
    void writeRootAndEnd (MshWriter& w)
    {
        writeBareObject (w, "root");
        w.uint32 (MshMarker::objectEnd).fileEnd();
    }
}

TEST (ReaderFormat, TheSmallest320ByteFileLoadsAnEmptyRootWithoutWarning)
{
    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.bytes ("not interpreted", 16).zeros (36); // 0: 52 bytes skipped
    w.int16 (0);                                // 52: headerString, length 0
    for (int i = 0; i < 80; ++i)                // 54: headerBlock, bytes 0..79
        w.bytes (&i, 1);
    w.uint32 (0xdeadbeef);                      // 134: skipped
    w.float32 (2.5f);                           // 138: headerFloat
    for (int i = 1; i <= 5; ++i)                // 142: headerInts 1..5
        w.int32 (i);
    for (int list = 0; list < 13; ++list)       // 162: thirteen empty lists
        w.uint32 (0);
    w.int16 (0).int32 (-7).int32 (8);           // 214: root name (empty), valueA, valueB
    w.uint32 (0x410);                           // 224: flags
    for (int i = 0; i < 16; ++i)                // 228: matrix 0..15
        w.float32 ((float) i);
    for (int list = 0; list < 5; ++list)        // 292: the root's five empty lists
        w.uint32 (0);
    w.uint32 (MshMarker::objectEnd);            // 312: root end marker
    w.uint32 (MshMarker::fileEnd);              // 316: file end marker
    const auto bytes = out.getMemoryBlock();
    ASSERT_EQ (320u, bytes.getSize());

    ScratchFolder scratch;
    MshMesh mesh;
    const auto outcome = loadFile (mesh, scratch.write ("smallest.msh", bytes));
    ASSERT_TRUE (outcome.loaded) << outcome.error;
    EXPECT_TRUE (outcome.warnings.empty());
    EXPECT_TRUE (mesh.headerString.isEmpty());
    EXPECT_EQ (79, mesh.headerBlock[79]) << "with an empty string the block starts at offset 54";
    EXPECT_EQ (2.5f, mesh.headerFloat);
    EXPECT_EQ ((std::array<juce::int32, 5> { 1, 2, 3, 4, 5 }), mesh.headerInts);
    EXPECT_EQ (-7, mesh.root.valueA);
    EXPECT_EQ (8, mesh.root.valueB);
    EXPECT_EQ (0x410u, mesh.root.flags);
    EXPECT_EQ (15.0f, mesh.root.matrix[15]);
    EXPECT_EQ (nullptr, mesh.root.firstChild);

    // The writer lays the same model out byte for byte, but for the bytes nobody reads.
    const auto written = mshWriteToMemory (mesh);
    ASSERT_EQ (320u, written.getSize());
    EXPECT_EQ (0, std::memcmp (bytes.begin() + 52, written.begin() + 52, 82));    // string and block
    EXPECT_EQ (0, std::memcmp (bytes.begin() + 138, written.begin() + 138, 182)); // the rest
}

TEST (ReaderFormat, FilesOf1To51BytesLoadEmptyAfterTwoWarnings)
{
    MshMesh rich, mesh;
    buildRichMesh (rich);

    for (size_t size = 1; size <= 51; ++size)
    {
        SCOPED_TRACE ("size " + std::to_string (size));
        ASSERT_TRUE (loadBytes (mesh, mshWriteToMemory (rich)).loaded); // something to clear first
        const auto outcome = loadBytes (mesh, juce::MemoryBlock (size, true));

        ASSERT_TRUE (outcome.loaded);
        ASSERT_EQ (2u, outcome.warnings.size());
        EXPECT_EQ (MshWarning::Kind::objectEnd, outcome.warnings[0].kind);
        EXPECT_EQ (MshWarning::Kind::fileEnd, outcome.warnings[1].kind);
        EXPECT_EQ ((juce::int64) size, outcome.warnings[1].offset);
        EXPECT_TRUE (mesh.headerString.isEmpty() && mesh.root.name.isEmpty() && mesh.namedGroups.empty());
        EXPECT_EQ (0.0f, mesh.headerFloat);
        EXPECT_EQ ((std::array<juce::int32, 5> {}), mesh.headerInts);
        EXPECT_EQ (nullptr, mesh.root.firstChild);
        EXPECT_EQ (nullptr, mesh.root.nextSibling);
        // A raw read past the end leaves what the previous load put there.
        EXPECT_EQ (rich.headerBlock, mesh.headerBlock);
        EXPECT_EQ (rich.root.matrix, mesh.root.matrix);
    }
}

TEST (ReaderFormat, MissingEmptyAndDirectoryGiveFalseWithoutWarningAndClearTheModel)
{
    ScratchFolder scratch;
    MshMesh rich;
    buildRichMesh (rich);
    const auto richFile = scratch.write ("rich.msh", mshWriteToMemory (rich));
    scratch.folder.getChildFile ("folder.msh").createDirectory();

    for (auto [file, reason] : { std::pair (scratch.folder.getChildFile ("missing.msh"), "no such file"),
                                 std::pair (scratch.write ("empty.msh", {}), "the file is empty"),
                                 std::pair (scratch.folder.getChildFile ("folder.msh"), "is a directory") })
    {
        MshMesh mesh;
        ASSERT_TRUE (loadFile (mesh, richFile).loaded);
        mesh.root.selected = true;

        const auto outcome = loadFile (mesh, file);
        EXPECT_FALSE (outcome.loaded);
        EXPECT_TRUE (outcome.warnings.empty());
        EXPECT_EQ (juce::String (reason), outcome.error);
        EXPECT_TRUE (mesh.root.name.isEmpty() && mesh.headerString.isEmpty() && mesh.list12A.empty());
        EXPECT_TRUE (mesh.root.vertices.empty() && mesh.root.firstChild == nullptr && mesh.root.nextSibling == nullptr);
        EXPECT_FALSE (mesh.root.selected);
        EXPECT_EQ (rich.headerBlock, mesh.headerBlock) << "clear() leaves the header block";
        EXPECT_EQ (rich.root.flags, mesh.root.flags) << "and the root's flags";
    }
}

TEST (ReaderFormat, ShortStringsStopAtAZeroByteButConsumeTheirLengthAndNegativeOnesTheRest)
{
    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.zeros (52).shortStringBytes (6, "ab\0cd\xe9", 6); // headerString "ab"; all 6 bytes consumed
    w.uint32 (0x11223344).zeros (76).zeros (28);       // headerBlock, skipped, float, ints
    for (int list = 0; list < 13; ++list)
        w.uint32 (0);
    w.shortStringBytes (4, "n\xe9\xff\x01", 4);         // root name: Latin-1 and a control character
    w.int32 (0).int32 (0).uint32 (0).zeros (64).zeros (20);
    w.uint32 (MshMarker::objectEnd).fileEnd();

    MshMesh mesh;
    auto outcome = loadBytes (mesh, out.getMemoryBlock());
    ASSERT_TRUE (outcome.loaded);
    EXPECT_TRUE (outcome.warnings.empty());
    EXPECT_EQ (juce::String ("ab"), mesh.headerString);
    EXPECT_EQ (0x11223344u, juce::ByteOrder::littleEndianInt (mesh.headerBlock.data()));
    const juce::juce_wchar name[] = { 'n', 0xe9, 0xff, 0x01, 0 };
    EXPECT_EQ (juce::String (juce::CharPointer_UTF32 (name)), mesh.root.name);

    // A header string of length -1: its text ("rich été header", then the block's bytes) runs to the
    // block's first zero byte, and everything after it is swallowed.
    MshMesh rich;
    buildRichMesh (rich);
    auto bytes = mshWriteToMemory (rich);
    bytes[52] = bytes[53] = (char) 0xff;
    outcome = loadBytes (mesh, bytes);
    ASSERT_TRUE (outcome.loaded);
    ASSERT_EQ (2u, outcome.warnings.size());
    EXPECT_EQ ((juce::int64) bytes.getSize(), outcome.warnings[0].offset);
    EXPECT_TRUE (mesh.headerString.startsWith (rich.headerString));
    EXPECT_TRUE (mesh.list12A.empty() && mesh.namedGroups.empty() && mesh.root.name.isEmpty());
}

TEST (ReaderFormat, PairSetsKeepTwoPairsAndSkipTheRestModulo32Bits)
{
    // P = 5 skips 18 bytes; P = 0x2AAAAAAD skips (P - 2) × 6 = 0x100000002, which wraps to 2.
    for (auto [pairs, skipped] : { std::pair (5u, 18), std::pair (2u, 0), std::pair (0x2AAAAAADu, 2) })
    {
        juce::MemoryOutputStream out;
        MshWriter w (out);
        writeHeaderAndEmptyLists (w, 6);                      // list12A .. tripleEntries
        w.uint32 (1).uint32 (pairs);                          // pairSets: one set of P pairs
        w.float32 (1.5f).int16 (7).float32 (-2.0f).int16 (-1).zeros ((size_t) skipped);
        w.uint32 (0).uint32 (1).int16 (0x4242);               // quadEntries; shortList: where reading resumed
        for (int list = 0; list < 4; ++list)
            w.uint32 (0);
        writeRootAndEnd (w);

        MshMesh mesh;
        const auto outcome = loadBytes (mesh, out.getMemoryBlock());
        ASSERT_TRUE (outcome.loaded) << outcome.error;
        EXPECT_TRUE (outcome.warnings.empty()) << pairs;
        ASSERT_EQ (1u, mesh.pairSets.size());
        EXPECT_EQ (2u, mesh.pairSets[0].pairCount);
        EXPECT_EQ ((std::array<float, 2> { 1.5f, -2.0f }), mesh.pairSets[0].pairValue);
        EXPECT_EQ ((std::array<juce::uint16, 2> { 7, 0xffff }), mesh.pairSets[0].pairIndex);
        EXPECT_EQ ((std::vector<juce::uint16> { 0x4242 }), mesh.shortList) << pairs;
    }
}

TEST (ReaderFormat, QuadEntriesPutTheFirstValueInQ3KeepLow16BitsAndMayLackTheirBlocks)
{
    juce::MemoryOutputStream out;
    MshWriter w (out);
    writeHeaderAndEmptyLists (w, 7);                            // list12A .. pairSets
    w.uint32 (2);                                               // quadEntries: two
    w.int32 (1).int32 (2).int32 (3).int32 (4);                  //   to q3, q0, q1, q2; no block, so the
    w.int32 (0x12345).int32 (-1).int32 (0x10000).int32 (0x7fff8000); // next 4 bytes are the next entry's
    w.uint32 (MshMarker::namedBlock8).shortString ("b").bytes ("12345678", 8); // second entry: blockB only
    for (int list = 0; list < 5; ++list)
        w.uint32 (0);
    writeRootAndEnd (w);

    MshMesh mesh;
    const auto outcome = loadBytes (mesh, out.getMemoryBlock());
    ASSERT_TRUE (outcome.loaded) << outcome.error;
    EXPECT_TRUE (outcome.warnings.empty());
    ASSERT_EQ (2u, mesh.quadEntries.size());
    auto& a = mesh.quadEntries[0];
    auto& b = mesh.quadEntries[1];
    EXPECT_EQ ((std::array<int, 4> { 2, 3, 4, 1 }), (std::array<int, 4> { a.q0, a.q1, a.q2, a.q3 }));
    EXPECT_EQ ((std::array<int, 4> { 0xffff, 0, 0x8000, 0x2345 }), (std::array<int, 4> { b.q0, b.q1, b.q2, b.q3 }));
    EXPECT_TRUE (a.blockA == nullptr && a.blockB == nullptr && b.blockA == nullptr);
    ASSERT_NE (nullptr, b.blockB);
    EXPECT_EQ (juce::String ("b"), b.blockB->name);
    EXPECT_EQ (0, std::memcmp ("12345678", b.blockB->data.data(), 8));
    EXPECT_EQ (juce::String ("root"), mesh.root.name);
}

TEST (ReaderFormat, EverythingReadsBackAndTrailingBytesOrASecondLoadChangeNothingElse)
{
    MshMesh rich, mesh;
    buildRichMesh (rich);
    rich.root.name = "hp_a";
    auto bytes = mshWriteToMemory (rich);
    bytes.append ("trailing \xff\xff", 11);

    auto outcome = loadBytes (mesh, bytes);
    ASSERT_TRUE (outcome.loaded) << outcome.error;
    EXPECT_TRUE (outcome.warnings.empty());
    EXPECT_TRUE (sameModel (rich, mesh));
    EXPECT_EQ (200, mesh.root.indices[36]) << "an index past the vertices is kept as read";
    EXPECT_TRUE (mesh.root.isHp);
    mesh.root.selected = true;

    MshMesh second;
    second.root.name = "base";
    ASSERT_TRUE (loadBytes (mesh, mshWriteToMemory (second)).loaded);
    EXPECT_TRUE (sameModel (second, mesh));
    EXPECT_FALSE (mesh.root.isHp);
    EXPECT_FALSE (mesh.root.selected);
}
