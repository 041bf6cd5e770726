// Tolmar MSH Viewer - files cut short, counts that cannot fit, streams that lie about their length.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"
#include "tools/SampleMeshes.h"

namespace
{
    // What a prefix of n bytes must read as. Up to the cut every value reads as in the whole file, and
    // past it everything reads 0, so: the load fails when some list count lies wholly inside the prefix
    // and its elements cannot fit in what follows it; otherwise it warns once for every object that was
    // created (its announcing marker lies inside) and whose end marker does not, and once for the file end.
    struct Expected { bool loads; size_t warnings; };

    Expected expectedForPrefix (const MshWriter& w, juce::int64 n)
    {
        for (auto& c : w.counts)
            if (c.offset + 4 <= n && (juce::uint64) c.elements * c.minElementSize > (juce::uint64) (n - c.offset - 4))
                return { false, 0 };

        size_t warnings = 0;

        for (auto& o : w.objects)
            if (o.createdBy <= n && o.endMarker + 4 > n)
                ++warnings;

        if (w.fileEndOffset + 4 > n)
            ++warnings;

        return { true, warnings };
    }

    void sweepEveryPrefix (const MshMesh& model)
    {
        juce::MemoryOutputStream out;
        MshWriter w (out);
        w.mesh (model);
        const auto bytes = out.getMemoryBlock();
        const auto size = (juce::int64) bytes.getSize();

        MshMesh mesh;
        size_t loaded = 0, failed = 0;

        for (juce::int64 n = 1; n <= size; ++n)
        {
            const auto expected = expectedForPrefix (w, n);
            const auto outcome = loadBytes (mesh, bytes.getData(), (size_t) n);

            ASSERT_EQ (expected.loads, outcome.loaded) << "prefix of " << n << " bytes: " << outcome.error;

            if (outcome.loaded)
            {
                ++loaded;
                ASSERT_EQ (expected.warnings, outcome.warnings.size()) << "prefix of " << n << " bytes";
            }
            else
            {
                ++failed;
                ASSERT_TRUE (outcome.warnings.empty());
                ASSERT_TRUE (outcome.error.contains ("claims")) << outcome.error;
                ASSERT_TRUE (mesh.root.name.isEmpty() && mesh.root.firstChild == nullptr && mesh.list12A.empty());
            }
        }

        // The whole file is a clean load, and both outcomes really occurred along the way.
        EXPECT_EQ (0u, expectedForPrefix (w, size).warnings);
        EXPECT_GT (loaded, 0u);
        EXPECT_GT (failed, 0u);
    }

    // A stream that states a length but delivers only its first `delivered` bytes.
    class ShortStream final : public juce::InputStream
    {
    public:
        ShortStream (const juce::MemoryBlock& b, juce::int64 claimed, juce::int64 delivered)
            : bytes (b), claimedLength (claimed), deliveredLength (delivered) {}

        juce::int64 getTotalLength() override   { return claimedLength; }
        bool isExhausted() override             { return position >= claimedLength; }
        juce::int64 getPosition() override      { return position; }
        bool setPosition (juce::int64 p) override { position = p; return true; }

        int read (void* dest, int size) override
        {
            ++reads;
            const auto n = (int) juce::jlimit<juce::int64> (0, size, deliveredLength - position);
            if (n > 0)
                std::memcpy (dest, bytes.begin() + position, (size_t) n);
            position += n;
            return n;
        }

        int reads = 0;

    private:
        const juce::MemoryBlock& bytes;
        juce::int64 claimedLength, deliveredLength, position = 0;
    };
}

TEST (ReaderRobustness, EveryPrefixOfARichFileLoadsOrFailsAsItsBytesSay)
{
    MshMesh rich;
    buildRichMesh (rich);
    sweepEveryPrefix (rich);
}

TEST (ReaderRobustness, EveryPrefixOfTheSampleLoadsOrFailsAsItsBytesSay)
{
    MshMesh sample;
    buildSampleMesh (sample);
    sweepEveryPrefix (sample);
}

TEST (ReaderRobustness, ACountThatCannotFitFailsTheLoadForEveryKindOfList)
{
    MshMesh rich;
    buildRichMesh (rich);
    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.mesh (rich);
    const auto original = out.getMemoryBlock();
    const auto size = (juce::int64) original.getSize();
    ASSERT_GE (w.counts.size(), 13u + 2u * 1u + 5u * 4u); // mesh lists, group lists, five lists an object

    MshMesh mesh;

    for (auto& c : w.counts)
    {
        const auto left = (juce::uint64) (size - c.offset - 4);
        const auto fitting = (juce::uint32) juce::jmin<juce::uint64> (left / c.minElementSize, 0xffffffffu);

        for (const juce::uint32 claimed : { fitting + 1, 0xffffffffu, 0x80000000u })
        {
            SCOPED_TRACE ("count at byte " + std::to_string (c.offset) + " set to " + std::to_string (claimed));
            auto bytes = original;
            mshPutLittleEndian32 (bytes.begin() + c.offset, claimed);

            ASSERT_TRUE (loadBytes (mesh, original).loaded); // leave something to clear
            const auto outcome = loadBytes (mesh, bytes);

            ASSERT_FALSE (outcome.loaded);
            EXPECT_TRUE (outcome.error.contains ("at byte " + juce::String (c.offset) + " claims " + juce::String (claimed)
                                                 + " elements, " + juce::String (left) + " bytes left"))
                << outcome.error;
            // The model is cleared, not left partly filled.
            EXPECT_TRUE (mesh.root.name.isEmpty());
            EXPECT_EQ (nullptr, mesh.root.firstChild);
            EXPECT_TRUE (mesh.list12A.empty() && mesh.tripleEntries.empty() && mesh.namedGroups.empty());
        }

        // Exactly as many as can fit is not refused at this count (later data may still be refused).
        auto bytes = original;
        mshPutLittleEndian32 (bytes.begin() + c.offset, fitting);
        const auto outcome = loadBytes (mesh, bytes);
        EXPECT_FALSE (outcome.error.contains ("at byte " + juce::String (c.offset) + " ")) << outcome.error;
    }
}

TEST (ReaderRobustness, ReasonsNameTheListAndTheObject)
{
    MshMesh model;
    model.root.name = "door";
    model.root.vertices.resize (3);
    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.mesh (model);
    auto bytes = out.getMemoryBlock();

    const auto& verticesCount = w.counts[13 + 2]; // after the 13 mesh lists: list4, list16, vertices
    ASSERT_EQ (3u, verticesCount.elements);
    mshPutLittleEndian32 (bytes.begin() + verticesCount.offset, 134217729u);

    MshMesh mesh;
    const auto outcome = loadBytes (mesh, bytes);
    ASSERT_FALSE (outcome.loaded);
    const auto left = (juce::int64) bytes.getSize() - verticesCount.offset - 4;
    EXPECT_EQ ("list vertices of object \"door\" at byte " + juce::String (verticesCount.offset)
                   + " claims 134217729 elements, " + juce::String (left) + " bytes left",
               outcome.error);
}

TEST (ReaderRobustness, StreamsThatDeliverLessThanTheyClaimNeverHang)
{
    MshMesh rich;
    buildRichMesh (rich);
    const auto bytes = mshWriteToMemory (rich);
    const auto size = (juce::int64) bytes.getSize();

    {
        // Nothing at all although a length is stated: unreadable, like a directory.
        ShortStream stream (bytes, size, 0);
        MshMesh mesh;
        EXPECT_FALSE (mesh.loadFromStream (stream));
        EXPECT_LT (stream.reads, 5);
    }

    for (const auto delivered : { size / 3, size - 1 })
    {
        // Cut short under the reader (a file truncated while it is read): the cut is the end.
        ShortStream stream (bytes, size * 1000, delivered);
        MshMesh mesh;
        size_t warnings = 0;
        const auto loaded = mesh.loadFromStream (stream, [&warnings] (const MshWarning&) { ++warnings; });

        if (loaded)
        {
            EXPECT_GE (warnings, 1u); // at least the file end marker is cut
        }

        EXPECT_LT (stream.reads, 100);
    }
}
