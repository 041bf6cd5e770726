// Tolmar MSH Viewer - writes .msh files: the sample mesh, every test fixture and the fuzzer's seeds.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MshWriter.h"
#include "MshText.h"
#include "SafeFiles.h"

MshWriter::MshWriter (juce::OutputStream& destination) : out (destination) {}

juce::int64 MshWriter::position() const
{
    return out.getPosition();
}

MshWriter& MshWriter::int16 (juce::int16 value)    { out.writeShort (value); return *this; }
MshWriter& MshWriter::int32 (juce::int32 value)    { out.writeInt (value); return *this; }
MshWriter& MshWriter::uint32 (juce::uint32 value)  { out.writeInt ((int) value); return *this; }
MshWriter& MshWriter::float32 (float value)        { out.writeFloat (value); return *this; }

MshWriter& MshWriter::bytes (const void* data, size_t size)
{
    if (size > 0)
        out.write (data, size);

    return *this;
}

MshWriter& MshWriter::zeros (size_t size)
{
    out.writeRepeatedByte (0, size);
    return *this;
}

MshWriter& MshWriter::shortString (const juce::String& text)
{
    const auto latin1 = mshLatin1FromString (text);
    const auto size = juce::jmin<size_t> (latin1.size(), 32767);
    return shortStringBytes ((juce::int16) size, latin1.data(), size);
}

MshWriter& MshWriter::shortStringBytes (juce::int16 length, const void* data, size_t size)
{
    return int16 (length).bytes (data, size);
}

MshWriter& MshWriter::count (juce::uint32 elements)
{
    counts.push_back ({ position(), elements });
    return uint32 (elements);
}

//==============================================================================
MshWriter& MshWriter::header (const MshMesh& mesh)
{
    bytes (mesh.headerLead.data(), mesh.headerLead.size());
    shortString (mesh.headerString);
    bytes (mesh.headerBlock.data(), mesh.headerBlock.size());
    bytes (mesh.headerGap.data(), mesh.headerGap.size());
    float32 (mesh.headerFloat);

    for (auto value : mesh.headerInts)
        int32 (value);

    return *this;
}

MshWriter& MshWriter::meshLists (const MshMesh& mesh)
{
    packedList (mesh.list12A);
    packedList (mesh.list12B);
    packedList (mesh.list8);
    packedList (mesh.list4);
    packedList (mesh.list20);
    entryList (mesh.tripleEntries, &MshWriter::tripleEntry);
    entryList (mesh.pairSets, &MshWriter::pairSet);
    entryList (mesh.quadEntries, &MshWriter::quadEntry);
    packedList (mesh.shortList);
    packedList (mesh.list16);
    packedList (mesh.list64);
    packedList (mesh.record36List);
    entryList (mesh.namedGroups, &MshWriter::namedGroup);
    return *this;
}

void MshWriter::objectFields (const MshObject& object)
{
    shortString (object.name);
    int32 (object.valueA);
    int32 (object.valueB);
    uint32 (object.flags);

    for (auto value : object.matrix)
        float32 (value);

    packedList (object.list4);
    packedList (object.list16);
    packedList (object.vertices);

    entryList (object.quadEntries, &MshWriter::quadEntry);

    packedList (object.indices);
}

MshWriter& MshWriter::object (const MshObject& root)
{
    // The mirror of the reader's loop: fields, child record, end marker, sibling record.
    std::vector<std::pair<const MshObject*, size_t>> openParents;
    const auto* current = &root;
    juce::int64 createdBy = 0;

    for (;;)
    {
        auto index = objects.size();
        objects.push_back ({ createdBy, -1 });
        objectFields (*current);

        if (current->firstChild != nullptr)
        {
            uint32 (MshMarker::child);
            openParents.emplace_back (current, index);
            current = current->firstChild.get();
            createdBy = position();
            continue;
        }

        for (;;)
        {
            objects[index].endMarker = position();
            uint32 (endMarkerFor ? endMarkerFor (*current) : MshMarker::objectEnd);

            if (current->nextSibling != nullptr)
            {
                uint32 (MshMarker::sibling);
                current = current->nextSibling.get();
                createdBy = position();
                break;
            }

            if (openParents.empty())
                return *this;

            std::tie (current, index) = openParents.back();
            openParents.pop_back();
        }
    }
}

MshWriter& MshWriter::fileEnd (juce::uint32 marker)
{
    fileEndOffset = position();
    return uint32 (marker);
}

MshWriter& MshWriter::mesh (const MshMesh& mesh)
{
    return header (mesh).meshLists (mesh).object (mesh.root).fileEnd().bytes (mesh.trailingBytes.data(), mesh.trailingBytes.size());
}

//==============================================================================
MshWriter& MshWriter::block68 (const MshNamedBlock68& block)
{
    return uint32 (MshMarker::namedBlock68).shortString (block.name).bytes (block.data.data(), block.data.size());
}

MshWriter& MshWriter::block8 (const MshNamedBlock8& block)
{
    return uint32 (MshMarker::namedBlock8).shortString (block.name).bytes (block.data.data(), block.data.size());
}

MshWriter& MshWriter::tripleEntry (const MshTripleEntry& entry)
{
    int32 (entry.t0).int32 (entry.t1).int32 (entry.t2);
    if (entry.blockA != nullptr) block68 (*entry.blockA);
    if (entry.blockB != nullptr) block8 (*entry.blockB);
    return *this;
}

MshWriter& MshWriter::pairSet (const MshPairSet& set)
{
    uint32 (set.pairCount);

    for (juce::uint32 j = 0; j < juce::jmin (set.pairCount, 2u); ++j)
        float32 (set.pairValue[j]).int16 ((juce::int16) set.pairIndex[j]);

    return *this;
}

MshWriter& MshWriter::quadEntry (const MshQuadEntry& entry)
{
    // q3 is stored first.
    uint32 (entry.q3).uint32 (entry.q0).uint32 (entry.q1).uint32 (entry.q2);
    if (entry.blockA != nullptr) block68 (*entry.blockA);
    if (entry.blockB != nullptr) block8 (*entry.blockB);
    return *this;
}

MshWriter& MshWriter::subGroup (const MshSubGroup& group)
{
    return int32 (group.intValue).float32 (group.floatValue).packedList (group.records);
}

MshWriter& MshWriter::namedGroup (const MshNamedGroup& group)
{
    shortString (group.name).int32 (group.value).float32 (group.floatA).float32 (group.floatB);
    packedList (group.records);
    return entryList (group.subGroups, &MshWriter::subGroup);
}

//==============================================================================
juce::MemoryBlock mshWriteToMemory (const MshMesh& mesh)
{
    juce::MemoryOutputStream stream;
    MshWriter (stream).mesh (mesh);
    return stream.getMemoryBlock();
}

Expected<void> mshWriteToFile (const MshMesh& mesh, const juce::File& file)
{
    OutputFileSet files;
    const auto stream = files.add (file);

    if (! stream)
        return stream.failure();

    MshWriter (**stream).mesh (mesh);
    return files.commit();
}
