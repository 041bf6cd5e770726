// Tolmar MSH Viewer - the reader against files whose every byte the test wrote.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"
#include "msh/MshReader.h"
#include "msh/MshGeometry.h"

TEST (Reader, TheSmallest320ByteFileLoadsFromDiskWithEveryHeaderFieldInPlace)
{
    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.bytes ("not interpreted", 16).zeros (36).int16 (0);       // 0: skipped; 52: headerString, length 0
    for (int i = 0; i < 80; ++i)                                // 54: headerBlock, bytes 0..79
        w.bytes (&i, 1);
    w.uint32 (0xdeadbeef).float32 (2.5f).int32 (1).int32 (2).int32 (3).int32 (4).int32 (5); // skipped, float, ints
    w.zeros (13 * 4).int16 (0).int32 (-7).int32 (8).uint32 (0x410);   // 162: lists; 214: root name, values, flags
    for (int i = 0; i < 16; ++i)                                // 228: matrix 0..15
        w.float32 ((float) i);
    w.zeros (5 * 4).uint32 (MshMarker::objectEnd).fileEnd();   // 292: lists; 312, 316: end markers
    ASSERT_EQ (320u, out.getDataSize());

    ScratchFolder scratch;
    MshMesh mesh;
    ASSERT_TRUE (mshLoadFile (mesh, scratch.write ("smallest.msh", out.getMemoryBlock()), [] (auto&) { FAIL(); }).ok());
    for (int i = 0; i < 20; ++i) // word i holds the bytes 4i .. 4i+3
    {
        const auto word = mesh.headerWord (i);
        juce::uint32 bits;
        std::memcpy (&bits, &word, 4);
        EXPECT_EQ ((juce::uint32) (0x03020100 + 0x04040404 * i), bits) << i;
    }
    EXPECT_EQ (mesh.headerWord (19), mesh.headerWord (99)) << "no word past the block";
    EXPECT_TRUE (mesh.headerFloat == 2.5f && mesh.headerInts == (std::array<juce::int32, 5> { 1, 2, 3, 4, 5 }));
    EXPECT_TRUE (mesh.root.valueA == -7 && mesh.root.valueB == 8 && mesh.root.flags == 0x410);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ ((float) i, mesh.root.matrix[(size_t) i]);
}

TEST (Reader, FilesOf1To51BytesLoadEmptyAfterTwoWarnings)
{
    MshMesh rich, mesh;
    buildRichMesh (rich);
    const auto richBytes = mshWriteToMemory (rich);

    for (size_t size = 1; size <= 51; ++size)
    {
        ASSERT_TRUE (loadBytes (mesh, richBytes).loaded); // something to clear first
        const auto outcome = loadBytes (mesh, juce::MemoryBlock (size, true));
        ASSERT_TRUE (outcome.loaded && outcome.warnings.size() == 2 && outcome.warnings[1].kind == MshWarning::Kind::fileEnd);
        EXPECT_EQ ((std::vector<juce::int64> { (juce::int64) size, (juce::int64) size }), outcome.offsets());
        EXPECT_TRUE (isCleared (mesh) && mesh.headerFloat == 0 && mesh.headerInts == (std::array<juce::int32, 5> {})) << size;
        EXPECT_TRUE (rich.headerBlock == mesh.headerBlock && rich.root.matrix == mesh.root.matrix) << "raw reads past the end keep";
    }
}

TEST (Reader, AMissingEmptyOrFolderFileFailsWithItsReason)
{
    MshMesh rich, mesh;
    buildRichMesh (rich);
    rich.headerGap = { 9, 8, 7, 6 }; // not kept by a clear
    const auto richBytes = mshWriteToMemory (rich);
    ScratchFolder scratch;
    scratch.folder.getChildFile ("folder.msh").createDirectory();
    for (auto [file, reason] : { std::pair (scratch.folder.getChildFile ("missing.msh"), "no such file"),
                                 std::pair (scratch.write ("empty.msh", juce::MemoryBlock()), "the file is empty"),
                                 std::pair (scratch.folder.getChildFile ("folder.msh"), "is a directory") })
    {
        ASSERT_TRUE (loadBytes (mesh, richBytes).loaded);
        const auto loaded = mshLoadFile (mesh, file, [] (auto&) { FAIL(); });
        ASSERT_FALSE (loaded.ok());
        EXPECT_EQ (juce::String (reason), loaded.message());
        EXPECT_TRUE (isCleared (mesh));
        EXPECT_TRUE (rich.headerBlock == mesh.headerBlock && rich.root.flags == mesh.root.flags) << "clear() keeps these";
    }
}

TEST (Reader, AShortStringStopsAtAZeroByteButConsumesItsLengthOrWhatIsLeft)
{
    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.zeros (52).shortStringBytes (6, "ab\0cd\xe9", 6);       // headerString "ab"; all 6 bytes consumed
    w.uint32 (0x11223344).zeros (76 + 28 + 13 * 4);           // headerBlock, skipped, float, ints, lists
    w.shortStringBytes (4, "n\xe9\xff\x01", 4);                // root name: Latin-1 and a control character
    w.int32 (0).int32 (0).uint32 (0).zeros (64 + 20).uint32 (MshMarker::objectEnd).fileEnd();
    MshMesh mesh;
    const auto outcome = loadBytes (mesh, out.getMemoryBlock());
    ASSERT_TRUE (outcome.loaded && outcome.warnings.empty());
    EXPECT_EQ (juce::String ("ab"), mesh.headerString);
    EXPECT_EQ (0x11223344u, juce::ByteOrder::littleEndianInt (mesh.headerBlock.data()));
    const juce::juce_wchar name[] = { 'n', 0xe9, 0xff, 0x01, 0 };
    EXPECT_EQ (juce::String (juce::CharPointer_UTF32 (name)), mesh.root.name);

    // Fewer bytes left than the length: the string is what is left.
    for (auto [size, text] : { std::pair (57, "ab"), std::pair (55, "a") })
    {
        ASSERT_TRUE (loadBytes (mesh, juce::MemoryBlock (out.getData(), (size_t) size)).loaded);
        EXPECT_EQ (juce::String (text), mesh.headerString);
    }
}

TEST (Reader, AShortStringOfNegativeLengthConsumesTheRestOfTheFile)
{
    // Of length -1, longer than the read buffer, with a zero byte early in it (the text ends there) or none.
    // Or one byte long.
    MshMesh mesh;
    for (const auto& [size, zero] : { std::pair (300000, true), std::pair (300000, false), std::pair (55, false) })
    {
        juce::MemoryBlock bytes ((size_t) size, true);
        std::memset (bytes.begin() + 54, 'x', bytes.getSize() - 54);
        bytes[52] = bytes[53] = (char) 0xff;
        if (zero)
            bytes[64] = 0;
        const auto outcome = loadBytes (mesh, bytes);
        EXPECT_EQ ((std::vector<juce::int64> { size, size }), outcome.offsets()) << "everything swallowed";
        EXPECT_EQ (zero ? 10 : size - 54, mesh.headerString.length());
        EXPECT_TRUE (mesh.headerString.containsOnly ("x"));
    }
}

namespace
{
    // A file whose one pair set claims the pairs given, followed by two quad entries, the second with a
    // block; the pairs beyond two are skipped by the given number of bytes.
    juce::MemoryBlock pairsAndQuadsFile (juce::uint32 pairs, int skipped)
    {
        juce::MemoryOutputStream out;
        MshWriter w (out);
        writeHeaderAndEmptyLists (w, 6);                                 // list12A .. tripleEntries
        const auto stored = juce::jmin (pairs, 2u);
        w.uint32 (1).uint32 (pairs);                                     // one set of P pairs, two at most kept
        if (stored > 0) w.float32 (1.5f).int16 (7);
        if (stored > 1) w.float32 (-2.0f).int16 (-1);
        w.zeros ((size_t) skipped);
        w.uint32 (2).int32 (1).int32 (2).int32 (3).int32 (4);          // quadEntries: two; no block, so the
        w.int32 (0x12345).int32 (-1).int32 (0x10000).int32 (0x7fff8000); // next 4 bytes are the next entry's
        w.uint32 (MshMarker::namedBlock8).shortString ("b").bytes ("12345678", 8).uint32 (1).int16 (0x4242).zeros (4 * 4);
        writeBareObject (w, "root");
        w.uint32 (MshMarker::objectEnd).fileEnd();
        return out.getMemoryBlock();
    }
}

TEST (Reader, PairSetsKeepAtMostTwoPairsSkippingTheRestModulo32Bits)
{
    // P = 0x2AAAAAAD skips (P - 2) × 6 = 0x100000002 bytes, which wraps to 2.
    for (auto [pairs, skipped] : { std::pair (0u, 0), std::pair (1u, 0), std::pair (2u, 0), std::pair (3u, 6),
                                   std::pair (5u, 18), std::pair (0x2AAAAAADu, 2) })
    {
        MshMesh mesh;
        const auto outcome = loadBytes (mesh, pairsAndQuadsFile (pairs, skipped));
        ASSERT_TRUE (outcome.loaded && outcome.warnings.empty()) << pairs;
        const auto stored = juce::jmin (pairs, 2u);
        auto& set = mesh.pairSets.at (0);
        EXPECT_EQ (stored, set.pairCount);
        EXPECT_EQ ((std::array<float, 2> { stored > 0 ? 1.5f : 0, stored > 1 ? -2.0f : 0 }), set.pairValue);
        EXPECT_EQ ((std::array<juce::uint16, 2> { (juce::uint16) (stored > 0 ? 7 : 0), (juce::uint16) (stored > 1 ? 0xffff : 0) }), set.pairIndex);
        EXPECT_EQ ((std::vector<juce::uint16> { 0x4242 }), mesh.shortList) << pairs << ": the lists after it in place";
    }
}

TEST (Reader, QuadEntriesPutTheFirstValueInQ3)
{
    MshMesh mesh;
    ASSERT_TRUE (loadBytes (mesh, pairsAndQuadsFile (0, 0)).loaded);
    ASSERT_EQ (2u, mesh.quadEntries.size());
    auto& a = mesh.quadEntries[0];
    auto& b = mesh.quadEntries[1];
    EXPECT_EQ ((std::array<int, 8> { 2, 3, 4, 1, 0xffff, 0, 0x8000, 0x2345 }), (std::array<int, 8> { a.q0, a.q1, a.q2, a.q3, b.q0, b.q1, b.q2, b.q3 }));
    EXPECT_TRUE (a.blockA == nullptr && a.blockB == nullptr && b.blockA == nullptr && b.blockB != nullptr);
    EXPECT_TRUE (b.blockB->name == "b" && std::memcmp ("12345678", b.blockB->data.data(), 8) == 0);
}

namespace
{
    // root { A { A1 } B }, marker by marker, with the child marker given before A.
    juce::MemoryBlock nestedFile (juce::uint32 childMarker)
    {
        juce::MemoryOutputStream out;
        MshWriter w (out);
        writeHeaderAndEmptyLists (w);
        writeBareObject (w, "root");
        w.uint32 (childMarker);
        writeBareObject (w, "A");
        w.uint32 (MshMarker::child);
        writeBareObject (w, "A1");
        w.uint32 (MshMarker::objectEnd).uint32 (MshMarker::objectEnd).uint32 (MshMarker::sibling); // A1, A end; B
        writeBareObject (w, "B");
        w.uint32 (MshMarker::objectEnd).uint32 (MshMarker::objectEnd).fileEnd();                  // B, root end
        return out.getMemoryBlock();
    }
}

TEST (Reader, ChildrenAndSiblingsNestAsTheRecordsLie)
{
    MshMesh mesh;
    const auto bytes = nestedFile (MshMarker::child);
    const auto outcome = loadBytes (mesh, bytes);
    ASSERT_TRUE (outcome.loaded && outcome.warnings.empty()) << outcome.error;
    EXPECT_EQ (bytes, mshWriteToMemory (mesh)) << "the writer lays it out the same way";
    juce::StringArray shape;
    mshForEachObject (mesh.root, true, [&shape] (const MshObject& o, int depth, juce::int64, juce::int64) { shape.add (o.name + juce::String (depth)); });
    EXPECT_EQ (juce::StringArray ({ "root0", "A1", "A12", "B1" }), shape);
}

TEST (Reader, AChildMarkerOneBitOffIsNoChild)
{
    // Its 4 bytes are read as the root's end marker, and the file end marker reads A's first bytes.
    MshMesh mesh;
    const auto outcome = loadBytes (mesh, nestedFile (MshMarker::child ^ 1u));
    ASSERT_TRUE (outcome.loaded) << outcome.error;
    EXPECT_TRUE (mesh.root.firstChild == nullptr && outcome.warnings.size() == 2 && outcome.warnings[0].found == (MshMarker::child ^ 1u));
}

TEST (Reader, TheHpMarkComesFromTheNameInAnyCaseOnEveryRead)
{
    for (auto [name, hp] : { std::pair ("HP_gun", true), std::pair ("hp_", true), std::pair ("Hp_x", true),
                             std::pair ("hP_y", true), std::pair ("gun_hp_", false), std::pair ("hp", false),
                             std::pair ("h_p", false), std::pair ("hpx", false), std::pair ("", false) })
    {
        MshMesh model, mesh;
        model.root.name = name;
        mesh.root.isHp = ! hp;
        ASSERT_TRUE (loadBytes (mesh, mshWriteToMemory (model)).loaded);
        EXPECT_EQ (hp, mesh.root.isHp) << name;
    }
}

namespace
{
    // The rich mesh (root { A { HP_ÿ } B } beside_root, every list filled, an index past the vertices) with
    // wrong end markers after A and B and bytes after the file's end.
    struct WarnedRich
    {
        MshMesh rich, mesh;
        juce::MemoryOutputStream out;
        MshWriter w { out };
        LoadOutcome outcome;

        WarnedRich()
        {
            buildRichMesh (rich);
            w.endMarkerFor = [] (const MshObject& o) { return o.name == "A" ? 0x01020304u : o.name == "B" ? 0u : MshMarker::objectEnd; };
            w.header (rich).meshLists (rich).object (rich.root).fileEnd (MshMarker::objectEnd).bytes ("trailing \xff\xff", 11);
            outcome = loadBytes (mesh, out.getMemoryBlock());
        }
    };
}

TEST (Reader, EveryFieldReadsBack)
{
    WarnedRich file;
    file.mesh.trailingBytes.clear();
    ASSERT_TRUE (file.outcome.loaded && sameModel (file.rich, file.mesh) && file.mesh.root.indices[36] == 200);
}

TEST (Reader, EachWrongEndMarkerWarnsOnceInFileOrder)
{
    WarnedRich file;
    EXPECT_EQ ((std::vector<juce::int64> { file.w.objects[1].endMarker, file.w.objects[3].endMarker, file.w.fileEndOffset }), file.outcome.offsets());
    juce::StringArray seen;
    for (auto& warning : file.outcome.warnings)
        seen.add (warning.objectName + "/" + juce::String::toHexString ((int) warning.found) + (warning.kind == MshWarning::Kind::fileEnd ? "/end" : ""));
    EXPECT_EQ (juce::StringArray ({ "A/1020304", "B/0", "/a93eb864/end" }), seen);
}

TEST (Reader, BytesAfterTheFileEndAreKept)
{
    WarnedRich file;
    EXPECT_EQ (std::string ("trailing \xff\xff"), std::string (file.mesh.trailingBytes.begin(), file.mesh.trailingBytes.end()));
}

TEST (Reader, AChainOfAMillionObjectsDeepOrWideNeedsNoRecursion)
{
    for (const bool deep : { true, false })
    {
        juce::MemoryBlock bytes;
        {
            MshMesh model;
            deep ? buildDeepChain (model, 1000000) : buildLongChain (model, 1000000);
            bytes = mshWriteToMemory (model);
        } // a million objects in one chain freed here

        auto mesh = std::make_unique<MshMesh>();
        ASSERT_TRUE (loadBytes (*mesh, bytes).warnings.empty());
        int objects = 0, maxDepth = 0;
        juce::String last;
        mshForEachObject (mesh->root, true, [&] (const MshObject& o, int depth, juce::int64, juce::int64)
        {
            ++objects;
            maxDepth = juce::jmax (maxDepth, depth);
            last = o.name;
        });
        EXPECT_EQ ((std::array<int, 2> { deep ? 1000000 : 1000001, deep ? 999999 : 1 }), (std::array<int, 2> { objects, maxDepth }));
        EXPECT_EQ (juce::String (deep ? "level999999" : "sibling999999"), last) << "in file order";
        ASSERT_TRUE (loadBytes (*mesh, bytes).loaded); // a second load clears the million first
    }
}

TEST (Model, AnObjectOutsideAMeshFreesAMillionLevelsWithoutRecursion)
{
    auto top = std::make_unique<MshObject>(); // as the importers build their trees; freed recursively, the stack overflows
    auto* object = top.get();
    for (int level = 1; level < 1000000; ++level, object = object->firstChild.get())
        object->firstChild = std::make_unique<MshObject>();
    top.reset();
    EXPECT_EQ (nullptr, top);
}
