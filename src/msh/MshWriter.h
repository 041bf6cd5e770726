// Tolmar MSH Viewer - writes .msh files: the sample mesh, every test fixture and the fuzzer's seeds.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "Expected.h"
#include "MshModel.h"

// Writes the format's encodings, little-endian, to any output stream. The section writers turn a model
// into the bytes the reader turns back into the same model; the primitives let a test put any byte it
// likes anywhere (a wrong marker, a negative string length, a pair set of five). While writing, it notes
// where every list count, object and end marker went, so a test can tell what each prefix of the file
// must read as.
class MshWriter final
{
public:
    explicit MshWriter (juce::OutputStream& destination);

    juce::int64 position() const;

    // Primitives.
    MshWriter& int16 (juce::int16 value);
    MshWriter& int32 (juce::int32 value);
    MshWriter& uint32 (juce::uint32 value);
    MshWriter& float32 (float value);
    MshWriter& bytes (const void* data, size_t size);
    MshWriter& zeros (size_t size);
    MshWriter& shortString (const juce::String& text);                  // int16 length + 8-bit text
    MshWriter& shortStringBytes (juce::int16 length, const void* data, size_t size); // any length field
    MshWriter& count (juce::uint32 elements);       // a list count, noted

    // Sections, in file order.
    MshWriter& header (const MshMesh& mesh);       // lead bytes, string, block, gap bytes, float, ints
    MshWriter& meshLists (const MshMesh& mesh);    // the thirteen lists
    MshWriter& object (const MshObject& root);     // a record with its children and siblings, no recursion
    MshWriter& fileEnd (juce::uint32 marker = MshMarker::fileEnd);
    MshWriter& mesh (const MshMesh& mesh);         // all of the above, then the trailing bytes

    // Entries.
    MshWriter& tripleEntry (const MshTripleEntry& entry);
    MshWriter& pairSet (const MshPairSet& set);
    MshWriter& quadEntry (const MshQuadEntry& entry);
    MshWriter& namedGroup (const MshNamedGroup& group);
    MshWriter& subGroup (const MshSubGroup& group);
    MshWriter& block68 (const MshNamedBlock68& block);
    MshWriter& block8 (const MshNamedBlock8& block);

    // Raw and packed lists: the count, then the elements as they are held.
    template <typename T>
    MshWriter& packedList (const std::vector<T>& list)
    {
        count ((juce::uint32) list.size());

        // Held in host order: byte for byte on a little-endian host, value by value elsewhere.
        if constexpr (juce::ByteOrder::isBigEndian() && std::is_same_v<T, juce::uint16>)
            for (auto value : list)
                int16 ((juce::int16) value);
        else if constexpr (juce::ByteOrder::isBigEndian() && std::is_same_v<T, MshVertex>)
            for (auto& vertex : list)
                for (auto value : { vertex.x, vertex.y, vertex.z, vertex.nx, vertex.ny, vertex.nz, vertex.u, vertex.v })
                    float32 (value);
        else
            bytes (list.data(), list.size() * sizeof (T));

        return *this;
    }

    // A list of entries: the count, then each entry.
    template <typename T>
    MshWriter& entryList (const std::vector<T>& list, MshWriter& (MshWriter::*writeEntry) (const T&))
    {
        count ((juce::uint32) list.size());

        for (auto& entry : list)
            (this->*writeEntry) (entry);

        return *this;
    }

    // The end marker written for an object; by default the right one.
    std::function<juce::uint32 (const MshObject&)> endMarkerFor;

    // Where things went, for tests that cut the file short.
    struct CountAt  { juce::int64 offset; juce::uint32 elements; };
    struct ObjectAt { juce::int64 createdBy; juce::int64 endMarker; }; // createdBy: end of the child or
                                                                       // sibling marker; 0 for the root
    std::vector<CountAt> counts;
    std::vector<ObjectAt> objects;
    juce::int64 fileEndOffset = -1;

private:
    void objectFields (const MshObject& object);

    juce::OutputStream& out;

    JUCE_DECLARE_NON_COPYABLE (MshWriter)
};

// Puts value at dest as four little-endian bytes (for patching written files and raw blocks).
inline void mshPutLittleEndian32 (void* dest, juce::uint32 value) noexcept
{
    auto* bytes = static_cast<juce::uint8*> (dest);

    for (int i = 0; i < 4; ++i)
        bytes[i] = (juce::uint8) (value >> (8 * i));
}

// The whole file for a model, in memory.
juce::MemoryBlock mshWriteToMemory (const MshMesh& mesh);

// The whole file for a model, on disk, whole or not at all.
Expected<void> mshWriteToFile (const MshMesh& mesh, const juce::File& file);
