// Tolmar MSH Viewer - files cut short, counts that cannot fit, streams that lie about their length.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"
#include "msh/MshReader.h"

namespace
{
    // Every prefix of the file. Up to the cut every value reads as in the whole file and past it all reads
    // 0, a value cut in two included (its bytes are consumed). So a prefix fails when some list count lies
    // wholly inside it and claims more elements than the bytes after it hold at 2 bytes each; otherwise it
    // warns for every object that was created (its announcing marker lies inside) and whose end marker
    // does not, at that marker or at the cut, whichever comes first, and once more for the file end.
    void sweepEveryPrefix (const MshMesh& model)
    {
        juce::MemoryOutputStream out;
        MshWriter w (out);
        w.mesh (model);
        const auto bytes = out.getMemoryBlock();
        MshMesh mesh;
        size_t loaded = 0;

        for (juce::int64 n = 1; n <= (juce::int64) bytes.getSize(); ++n)
        {
            const bool fits = std::none_of (w.counts.begin(), w.counts.end(), [n] (auto& c)
            {
                return c.offset + 4 <= n && c.elements > (juce::uint64) (n - c.offset - 4) / 2;
            });
            std::vector<juce::int64> expected;
            for (auto& o : w.objects)
                if (o.createdBy <= n && o.endMarker + 4 > n)
                    expected.push_back (juce::jmin (o.endMarker, n));
            std::sort (expected.begin(), expected.end());
            if (w.fileEndOffset + 4 > n)
                expected.push_back (juce::jmin (w.fileEndOffset, n));
            // A child or sibling marker cut in two is no marker: the end marker read there begins at it.
            for (auto o = w.objects.begin() + 1; o != w.objects.end(); ++o)
                if (o->createdBy - 4 < n && n < o->createdBy)
                    *std::find (expected.begin(), expected.end(), n) = o->createdBy - 4;

            const auto outcome = loadBytes (mesh, juce::MemoryBlock (bytes.getData(), (size_t) n));
            ASSERT_EQ (fits, outcome.loaded) << "prefix of " << n << " bytes: " << outcome.error;

            if (outcome.loaded)
                ASSERT_EQ (expected, outcome.offsets()) << "prefix of " << n << " bytes";
            else
                ASSERT_TRUE (outcome.error.contains ("claims") && isCleared (mesh));

            loaded += outcome.loaded ? 1 : 0;
        }

        EXPECT_TRUE (loaded > 1 && loaded < bytes.getSize()) << "some prefixes load, some do not";
    }
}

class EveryPrefix : public ::testing::TestWithParam<void (*) (MshMesh&)> {};

TEST_P (EveryPrefix, LoadsOrFailsAsItsBytesSay)
{
    MshMesh model;
    GetParam() (model);
    sweepEveryPrefix (model);
}

INSTANTIATE_TEST_SUITE_P (Rich, EveryPrefix, ::testing::Values (&buildRichMesh));
INSTANTIATE_TEST_SUITE_P (Sample, EveryPrefix, ::testing::Values (&buildSampleMesh));

TEST (ReaderRobustness, ACountThatCannotFitAt2BytesAnElementFailsForEveryList)
{
    MshMesh rich, mesh;
    buildRichMesh (rich);
    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.mesh (rich);
    const auto original = out.getMemoryBlock();
    ASSERT_GE (w.counts.size(), 13u + 2u + 5u * 4u); // mesh lists, a named group's two, five an object

    for (auto& c : w.counts)
    {
        const auto left = (juce::uint64) original.getSize() - (juce::uint64) c.offset - 4;

        for (const auto claimed : { (juce::uint32) (left / 2 + 1), 0xffffffffu })
        {
            auto bytes = original;
            mshPutLittleEndian32 (bytes.begin() + c.offset, claimed);
            ASSERT_TRUE (loadBytes (mesh, original).loaded); // something to clear
            const auto outcome = loadBytes (mesh, bytes);
            ASSERT_FALSE (outcome.loaded);
            EXPECT_TRUE (outcome.error.contains (" at byte " + juce::String (c.offset) + " claims " + juce::String (claimed)
                                                 + " elements, " + juce::String (left) + " bytes left")) << outcome.error;
            EXPECT_TRUE (isCleared (mesh));
        }

        // As many as 2 bytes each can hold is not refused at this count (what follows may still be).
        auto bytes = original;
        mshPutLittleEndian32 (bytes.begin() + c.offset, (juce::uint32) (left / 2));
        EXPECT_FALSE (loadBytes (mesh, bytes).error.contains (" at byte " + juce::String (c.offset) + " "));
    }
}

TEST (ReaderRobustness, ACountRefusedNamesItsListsOwner)
{
    MshMesh door, mesh;
    door.root.name = "door";
    door.namedGroups.resize (1);
    door.namedGroups[0].name = "g";
    juce::MemoryOutputStream doorOut;
    MshWriter doorWriter (doorOut);
    doorWriter.mesh (door);
    for (auto [index, text] : { std::pair (13, "list records of named group \"g\""), std::pair (13 + 2 + 2, "list vertices of object \"door\"") })
    {
        auto bytes = doorOut.getMemoryBlock();
        const auto offset = doorWriter.counts[(size_t) index].offset;
        mshPutLittleEndian32 (bytes.begin() + offset, 1000u);
        EXPECT_EQ (juce::String (text) + " at byte " + juce::String (offset) + " claims 1000 elements, "
                       + juce::String ((juce::int64) bytes.getSize() - offset - 4) + " bytes left",
                   loadBytes (mesh, bytes).error);
    }
}

TEST (ReaderRobustness, NestedClaimsPastTheEndStopAt64TimesTheFileInMemory)
{
    // In a 1 MB file a named group count, then in the first group a sub group count, then in its first
    // sub group a records count, each claiming half the bytes left: 36, 24 and 18 times the file in memory.
    juce::MemoryOutputStream out;
    MshWriter w (out);
    writeHeaderAndEmptyLists (w, 12);
    w.count (0).shortString ("g").zeros (12).count (0).count (0).zeros (8).count (0);
    w.zeros ((1 << 20) - (size_t) w.position());
    auto bytes = out.getMemoryBlock();
    MshMesh mesh;

    for (size_t claims = 1; claims <= 3; ++claims)
    {
        const auto& c = w.counts[claims == 1 ? 0 : claims == 2 ? 2 : 3]; // namedGroups, subGroups, records
        const auto claimed = (juce::uint32) (bytes.getSize() - (size_t) c.offset - 4) / 2;
        mshPutLittleEndian32 (bytes.begin() + c.offset, claimed);
        mesh.clear();
        const auto peak = measureAllocationPeak();
        const auto outcome = loadBytes (mesh, bytes);
        EXPECT_LT (peak(), (size_t) 72 << 20);
        EXPECT_EQ (claims < 3, outcome.loaded) << outcome.error;

        if (claims < 3)
            EXPECT_EQ (claimed, claims == 1 ? mesh.namedGroups.size() : mesh.namedGroups[0].subGroups.size());
        else
            EXPECT_EQ ("list records of named group \"g\" at byte " + juce::String (c.offset) + " claims " + juce::String (claimed)
                           + " elements, more than 64 times the file's size in memory", outcome.error);
    }
}

TEST (ReaderRobustness, StreamsThatDeliverLessThanTheyClaimNeverHang)
{
    // A stream that states a length but delivers only its first `delivered` bytes.
    struct ShortStream final : public juce::MemoryInputStream
    {
        ShortStream (const juce::MemoryBlock& b, juce::int64 claim, size_t delivered)
            : juce::MemoryInputStream (b.getData(), delivered, false), claimed (claim) {}

        juce::int64 getTotalLength() override    { return claimed; }
        int read (void* dest, int size) override { ++reads; return juce::MemoryInputStream::read (dest, size); }

        juce::int64 claimed;
        int reads = 0;
    };

    MshMesh rich, mesh;
    buildRichMesh (rich);
    rich.root.vertices.resize (20000); // 640 KB: read straight into the list, past the buffer
    for (size_t i = 0; i < rich.root.vertices.size(); ++i)
        rich.root.vertices[i].x = (float) i;
    const auto bytes = mshWriteToMemory (rich);
    const auto size = bytes.getSize();

    ShortStream nothing (bytes, (juce::int64) size, 0); // a length, but no byte at all: unreadable, like a directory
    const auto unread = mshLoadStream (mesh, nothing);
    EXPECT_TRUE (! unread && unread.message() == "cannot read the file" && nothing.reads < 5);

    ShortStream whole (bytes, (juce::int64) size, size);
    EXPECT_TRUE (mshLoadStream (mesh, whole).ok() && sameModel (rich, mesh)) << "a buffer's worth, then the rest straight in";

    for (const auto delivered : { (size_t) 300, size / 2 }) // in the lists; in the 640 KB read
    {
        ShortStream cut (bytes, (juce::int64) size * 1000, delivered); // a file truncated while it is read
        size_t warnings = 0;
        EXPECT_TRUE (mshLoadStream (mesh, cut, [&, delivered] (const MshWarning& w) { warnings += w.offset == (juce::int64) delivered ? 1 : 0; }).ok());
        EXPECT_EQ (2u, warnings) << delivered; // the root's end and the file end, both where the bytes stopped
        EXPECT_LT (cut.reads, 100);
    }
}
