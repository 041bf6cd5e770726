// Tolmar MSH Viewer - files cut short, counts that cannot fit, streams that lie about their length.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"

namespace
{
    // Every prefix of the file. Up to the cut every value reads as in the whole file and past it all reads
    // 0, so: a prefix fails when some list count lies wholly inside it and its elements cannot fit in what
    // follows; otherwise it warns once for every object that was created (its announcing marker lies
    // inside) and whose end marker does not, and once for the file end.
    void sweepEveryPrefix (const MshMesh& model)
    {
        juce::MemoryOutputStream out;
        MshWriter w (out);
        w.mesh (model);
        const auto bytes = out.getMemoryBlock();
        MshMesh mesh;
        size_t loaded = 0, failed = 0;

        for (juce::int64 n = 1; n <= (juce::int64) bytes.getSize(); ++n)
        {
            const bool fits = std::none_of (w.counts.begin(), w.counts.end(), [n] (auto& c)
            {
                return c.offset + 4 <= n && (juce::uint64) c.elements * c.minElementSize > (juce::uint64) (n - c.offset - 4);
            });
            const auto expectedWarnings = (size_t) std::count_if (w.objects.begin(), w.objects.end(), [n] (auto& o)
            {
                return o.createdBy <= n && o.endMarker + 4 > n;
            }) + (w.fileEndOffset + 4 > n ? 1 : 0);

            const auto outcome = loadBytes (mesh, juce::MemoryBlock (bytes.getData(), (size_t) n));
            ASSERT_EQ (fits, outcome.loaded) << "prefix of " << n << " bytes: " << outcome.error;

            if (outcome.loaded)
            {
                ASSERT_EQ (expectedWarnings, outcome.warnings.size()) << "prefix of " << n << " bytes";
            }
            else
            {
                ASSERT_TRUE (outcome.error.contains ("claims") && mesh.root.name.isEmpty() && mesh.list12A.empty());
            }

            ++(outcome.loaded ? loaded : failed);
        }

        EXPECT_GT (loaded, 1u);
        EXPECT_GT (failed, 1u);
    }
}

TEST (ReaderRobustness, EveryPrefixOfARichFileAndOfTheSampleLoadsOrFailsAsItsBytesSay)
{
    MshMesh rich, sample;
    buildRichMesh (rich);
    buildSampleMesh (sample);
    sweepEveryPrefix (rich);
    sweepEveryPrefix (sample);
}

TEST (ReaderRobustness, ACountThatCannotFitFailsTheLoadForEveryKindOfListAndClearsTheModel)
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
        const auto fitting = (juce::uint32) (left / c.minElementSize);

        for (const juce::uint32 claimed : { fitting + 1, 0xffffffffu })
        {
            auto bytes = original;
            mshPutLittleEndian32 (bytes.begin() + c.offset, claimed);
            ASSERT_TRUE (loadBytes (mesh, original).loaded); // something to clear

            const auto outcome = loadBytes (mesh, bytes);
            ASSERT_FALSE (outcome.loaded);
            EXPECT_TRUE (outcome.error.contains (" at byte " + juce::String (c.offset) + " claims " + juce::String (claimed)
                                                 + " elements, " + juce::String (left) + " bytes left")) << outcome.error;
            EXPECT_TRUE (mesh.root.name.isEmpty() && mesh.root.firstChild == nullptr && mesh.list12A.empty()
                         && mesh.tripleEntries.empty() && mesh.namedGroups.empty());
        }

        // As many as can fit is not refused at this count (what follows may still be).
        auto bytes = original;
        mshPutLittleEndian32 (bytes.begin() + c.offset, fitting);
        EXPECT_FALSE (loadBytes (mesh, bytes).error.contains (" at byte " + juce::String (c.offset) + " "));
    }

    // The reason names the list and the object.
    MshMesh door;
    door.root.name = "door";
    door.root.vertices.resize (3);
    juce::MemoryOutputStream doorOut;
    MshWriter doorWriter (doorOut);
    doorWriter.mesh (door);
    auto bytes = doorOut.getMemoryBlock();
    const auto& vertices = doorWriter.counts[13 + 2]; // after the mesh's lists, list4 and list16
    mshPutLittleEndian32 (bytes.begin() + vertices.offset, 134217729u);
    EXPECT_EQ ("list vertices of object \"door\" at byte " + juce::String (vertices.offset) + " claims 134217729 elements, "
                   + juce::String ((juce::int64) bytes.getSize() - vertices.offset - 4) + " bytes left",
               loadBytes (mesh, bytes).error);
}

TEST (ReaderRobustness, StreamsThatDeliverLessThanTheyClaimNeverHang)
{
    // A stream that states a length but delivers only its first `delivered` bytes.
    struct ShortStream final : public juce::MemoryInputStream
    {
        ShortStream (const juce::MemoryBlock& b, juce::int64 claim, size_t delivered)
            : juce::MemoryInputStream (b.getData(), delivered, false), claimed (claim) {}

        juce::int64 getTotalLength() override   { return claimed; }
        int read (void* dest, int size) override { ++reads; return juce::MemoryInputStream::read (dest, size); }

        juce::int64 claimed;
        int reads = 0;
    };

    MshMesh rich, mesh;
    buildRichMesh (rich);
    const auto bytes = mshWriteToMemory (rich);
    const auto size = (juce::int64) bytes.getSize();

    ShortStream nothing (bytes, size, 0); // a length, but no byte at all: unreadable, like a directory
    EXPECT_FALSE (mesh.loadFromStream (nothing));
    EXPECT_LT (nothing.reads, 5);

    for (const auto delivered : { bytes.getSize() / 3, bytes.getSize() - 1 })
    {
        ShortStream cut (bytes, size * 1000, delivered); // a file truncated while it is read
        size_t warnings = 0;

        if (mesh.loadFromStream (cut, [&warnings] (const MshWarning&) { ++warnings; }))
        {
            EXPECT_GE (warnings, 1u); // the file end marker at least is cut off
        }

        EXPECT_LT (cut.reads, 100);
    }
}
