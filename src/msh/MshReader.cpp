// Tolmar MSH Viewer - the reading side of the mesh model.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MshReader.h"
#include "MshText.h"
#include "SafeFiles.h"

namespace
{
    // A list sized past the end of the file is zero-filled: at 2 file bytes an element, one list of
    // 72-byte named groups takes 36 times the bytes it stands on, and claims nested in claimed entries
    // add up. This caps the sum; files whose lists are really there stay far below it.
    constexpr juce::uint64 listBytesPerFileByte = 64;
}

MshReader::MshReader (juce::InputStream& s, juce::int64 length, const MshWarningHandler& handler, const MshObjectHandler& objectHandler)
    : source (s), totalLength (juce::jmax<juce::int64> (0, length)),
      listBudget ((juce::uint64) totalLength * listBytesPerFileByte), onWarning (handler), onObjectRead (objectHandler)
{
    bufferSize = (size_t) juce::jlimit<juce::int64> (64, (juce::int64) readBufferSize, totalLength);
    buffer.malloc (bufferSize);
}

//==============================================================================
size_t MshReader::fill (size_t wanted)
{
    jassert (wanted <= bufferSize);
    auto available = bufferEnd - bufferStart;

    if (available >= wanted)
        return available;

    // Move what is left to the front, then top the buffer up without reading past the stated length.
    if (bufferStart > 0)
    {
        std::memmove (buffer.get(), buffer.get() + bufferStart, available);
        bufferStart = 0;
        bufferEnd = available;
    }

    while (available < wanted)
    {
        const auto unbuffered = totalLength - position_ - (juce::int64) available;
        const auto room = (juce::int64) (bufferSize - bufferEnd);
        const auto toRead = (int) juce::jmin (unbuffered, room);

        if (toRead <= 0)
            break;

        const auto got = source.read (buffer.get() + bufferEnd, toRead);

        if (got <= 0)
        {
            sourceEnded();
            break;
        }

        bufferEnd += (size_t) got;
        available += (size_t) got;
    }

    return available;
}

void MshReader::sourceEnded() noexcept
{
    // The stream gave fewer bytes than its length promised (a file cut short under us, or one that
    // cannot be read): what is buffered is all there is, so no later read waits for more.
    totalLength = position_ + (juce::int64) (bufferEnd - bufferStart);
}

size_t MshReader::readBytes (void* dest, size_t size)
{
    auto* out = static_cast<juce::uint8*> (dest);
    size_t done = 0;

    // What is buffered first, then big reads straight from the stream into dest, small ones via the buffer.
    while (done < size)
    {
        const auto buffered = bufferEnd - bufferStart;

        if (buffered > 0)
        {
            const auto n = juce::jmin (buffered, size - done);
            std::memcpy (out + done, buffer.get() + bufferStart, n);
            bufferStart += n;
            position_ += (juce::int64) n;
            done += n;
            continue;
        }

        const auto wanted = (juce::int64) juce::jmin<juce::uint64> (size - done, (juce::uint64) bytesLeft());

        if (wanted <= 0)
            break;

        if ((size_t) wanted < bufferSize)
        {
            if (fill ((size_t) wanted) == 0)
                break;

            continue;
        }

        const auto got = source.read (out + done, (int) juce::jmin<juce::int64> (wanted, 1 << 30));

        if (got <= 0)
        {
            sourceEnded();
            break;
        }

        position_ += got;
        done += (size_t) got;
    }

    return done;
}

void MshReader::readWords (void* dest, size_t size)
{
    const auto got = readBytes (dest, size);
    fixPackedByteOrder (dest, got - got % 4, 4);
}

bool MshReader::hasData()
{
    return fill (1) > 0;
}

void MshReader::skip (juce::uint64 size)
{
    const auto buffered = bufferEnd - bufferStart;

    if (size <= buffered)
    {
        bufferStart += (size_t) size;
        position_ += (juce::int64) size;
        return;
    }

    const auto target = (juce::int64) juce::jmin<juce::uint64> ((juce::uint64) position_ + size, (juce::uint64) totalLength);
    bufferStart = bufferEnd = 0;

    if (! source.setPosition (source.getPosition() + (target - position_ - (juce::int64) buffered)))
        sourceEnded();

    position_ = juce::jmin (target, totalLength);
}

juce::int16 MshReader::readInt16()
{
    const auto available = fill (2);

    if (available < 2)
    {
        skip (available); // the partial byte is consumed and the value is 0
        return 0;
    }

    const auto value = (juce::int16) juce::ByteOrder::littleEndianShort (buffer.get() + bufferStart);
    bufferStart += 2;
    position_ += 2;
    return value;
}

juce::int32 MshReader::readInt32()
{
    const auto available = fill (4);

    if (available < 4)
    {
        skip (available); // partial bytes are consumed and the value is 0
        return 0;
    }

    const auto value = (juce::int32) juce::ByteOrder::littleEndianInt (buffer.get() + bufferStart);
    bufferStart += 4;
    position_ += 4;
    return value;
}

float MshReader::readFloat32()
{
    // The bit pattern of an int32 read the same way, so 0.0 past the end.
    const auto bits = readInt32();
    float value;
    std::memcpy (&value, &bits, sizeof (value));
    return value;
}

bool MshReader::takeMarker (juce::uint32 marker)
{
    if (fill (4) < 4 || juce::ByteOrder::littleEndianInt (buffer.get() + bufferStart) != marker)
        return false;

    bufferStart += 4;
    position_ += 4;
    return true;
}

juce::String MshReader::readShortString()
{
    const auto length = readInt16();

    if (length == 0)
        return {};

    if (length > 0)
    {
        // At most 32767 bytes: the buffer holds them all, or (for a smaller file) the whole file.
        const auto size = juce::jmin ((size_t) length, fill (juce::jmin ((size_t) length, bufferSize)));
        const auto* bytes = buffer.get() + bufferStart;
        const auto* zero = static_cast<const juce::uint8*> (std::memchr (bytes, 0, size));
        auto text = mshStringFromLatin1 (bytes, zero != nullptr ? (size_t) (zero - bytes) : size);
        skip (size);
        return text;
    }

    // A negative length swallows the rest of the file; the text still ends at the first zero byte.
    juce::MemoryBlock text;
    bool ended = false;

    while (bytesLeft() > 0)
    {
        const auto size = fill (bufferSize);

        if (size == 0)
            break;

        const auto* bytes = buffer.get() + bufferStart;
        const auto* zero = static_cast<const juce::uint8*> (std::memchr (bytes, 0, size));
        text.append (bytes, zero != nullptr ? (size_t) (zero - bytes) : size);
        skip (size);

        if (zero != nullptr)
        {
            ended = true;
            break;
        }
    }

    if (ended)
        skip ((juce::uint64) bytesLeft());

    return mshStringFromLatin1 (static_cast<const juce::uint8*> (text.getData()), text.getSize());
}

juce::uint32 MshReader::readCount (const char* listName, size_t elementSize)
{
    const auto offset = position_;
    const auto count = readUInt32();
    const auto left = (juce::uint64) juce::jmax<juce::int64> (0, bytesLeft());
    const auto refuse = [&] (const juce::String& why)
    {
        return Failure { juce::String ("list ") + listName + context_ + " at byte " + juce::String (offset) + " claims "
                           + juce::String (count) + " elements, " + why };
    };

    // Division, not multiplication, so a count near 2^32 cannot wrap past the check.
    if (count > left / 2)
        throw refuse (juce::String (left) + " bytes left");

    // count <= left / 2 < 2^62 / 2, so the product cannot wrap either.
    const auto bytes = (juce::uint64) count * elementSize;

    if (bytes > listBudget)
        throw refuse ("more than 64 times the file's size in memory");

    listBudget -= bytes;
    return count;
}

void MshReader::fixPackedByteOrder (void* data, size_t size, size_t wordSize) noexcept
{
    if constexpr (juce::ByteOrder::isBigEndian())
    {
        auto* bytes = static_cast<juce::uint8*> (data);

        if (wordSize == 2)
            for (size_t i = 0; i + 1 < size; i += 2)
                std::swap (bytes[i], bytes[i + 1]);
        else if (wordSize == 4)
            for (size_t i = 0; i + 3 < size; i += 4)
                std::reverse (bytes + i, bytes + i + 4);
    }
    else
    {
        juce::ignoreUnused (data, size, wordSize);
    }
}

//==============================================================================
template <typename Block>
void MshReader::readOptionalBlock (std::unique_ptr<Block>& block, juce::uint32 marker)
{
    if (! takeMarker (marker))
        return; // absent: those 4 bytes start the next field

    block = std::make_unique<Block>();
    block->name = readShortString();
    readBytes (block->data.data(), block->data.size());
}

void MshReader::readTripleEntry (MshTripleEntry& entry)
{
    entry.t0 = readInt32();
    entry.t1 = readInt32();
    entry.t2 = readInt32();
    readOptionalBlock (entry.blockA, MshMarker::namedBlock68);
    readOptionalBlock (entry.blockB, MshMarker::namedBlock8);
}

void MshReader::readPairSet (MshPairSet& set)
{
    const auto count = readUInt32();
    set.pairCount = juce::jmin (count, 2u);

    for (juce::uint32 j = 0; j < set.pairCount; ++j)
    {
        set.pairValue[j] = readFloat32();
        set.pairIndex[j] = (juce::uint16) readInt16();
    }

    // Pairs beyond the second are skipped, 6 bytes each, the product taken modulo 2^32.
    if (count > 2)
        skip ((juce::uint32) ((count - 2u) * 6u));
}

void MshReader::readQuadEntry (MshQuadEntry& entry)
{
    // Four int32 of which the low 16 bits are kept; the first goes to q3.
    entry.q3 = (juce::uint16) readUInt32();
    entry.q0 = (juce::uint16) readUInt32();
    entry.q1 = (juce::uint16) readUInt32();
    entry.q2 = (juce::uint16) readUInt32();
    readOptionalBlock (entry.blockA, MshMarker::namedBlock68);
    readOptionalBlock (entry.blockB, MshMarker::namedBlock8);
}

void MshReader::readSubGroup (MshSubGroup& group)
{
    group.intValue = readInt32();
    group.floatValue = readFloat32();
    readPackedList (group.records, "records");
}

void MshReader::readNamedGroup (MshNamedGroup& group)
{
    group.name = readShortString();
    group.value = readInt32();
    group.floatA = readFloat32();
    group.floatB = readFloat32();

    const auto outer = context_;
    context_ = " of named group \"" + group.name + "\"";
    readPackedList (group.records, "records");
    readEntryList (group.subGroups, "subGroups", [this] (MshSubGroup& g) { readSubGroup (g); });
    context_ = outer;
}

void MshReader::readHeader (MshMesh& mesh)
{
    readBytes (mesh.headerLead.data(), mesh.headerLead.size()); // not interpreted, kept for writing again
    mesh.headerString = readShortString();
    readBytes (mesh.headerBlock.data(), mesh.headerBlock.size());
    readBytes (mesh.headerGap.data(), mesh.headerGap.size());
    mesh.headerFloat = readFloat32();

    for (auto& value : mesh.headerInts)
        value = readInt32();
}

void MshReader::readMeshLists (MshMesh& mesh)
{
    readPackedList (mesh.list12A, "list12A");
    readPackedList (mesh.list12B, "list12B");
    readPackedList (mesh.list8, "list8");
    readPackedList (mesh.list4, "list4");
    readPackedList (mesh.list20, "list20");
    readEntryList (mesh.tripleEntries, "tripleEntries", [this] (MshTripleEntry& e) { readTripleEntry (e); });
    readEntryList (mesh.pairSets, "pairSets", [this] (MshPairSet& s) { readPairSet (s); });
    readEntryList (mesh.quadEntries, "quadEntries", [this] (MshQuadEntry& e) { readQuadEntry (e); });
    readPackedList (mesh.shortList, "shortList");
    readPackedList (mesh.list16, "list16");
    readPackedList (mesh.list64, "list64");
    readPackedList (mesh.record36List, "record36List");
    readEntryList (mesh.namedGroups, "namedGroups", [this] (MshNamedGroup& g) { readNamedGroup (g); });
}

void MshReader::warn (MshWarning::Kind kind, juce::int64 offset, juce::uint32 found, const juce::String& objectName)
{
    if (onWarning)
        onWarning ({ kind, offset, found, objectName, {} });
}

//==============================================================================
namespace
{
    void readObjectFields (MshReader& reader, MshObject& object)
    {
        object.name = reader.readShortString();
        object.valueA = reader.readInt32();
        object.valueB = reader.readInt32();
        object.isHp = mshNameIsHp (object.name);
        object.flags = reader.readUInt32();

        // 64 raw bytes: past the end of the file the matrix keeps what it held.
        reader.readWords (object.matrix.data(), sizeof (object.matrix));

        reader.setContext (" of object \"" + object.name + "\"");
        reader.readPackedList (object.list4, "list4");
        reader.readPackedList (object.list16, "list16");
        reader.readPackedList (object.vertices, "vertices");
        reader.readEntryList (object.quadEntries, "quadEntries", [&reader] (MshQuadEntry& e) { reader.readQuadEntry (e); });
        reader.readPackedList (object.indices, "indices");
        reader.setContext ({});
    }
}

void MshReader::readObjectTree (MshObject& first)
{
    // Records lie depth first: an object, its child's record (which carries the child's siblings), its end
    // marker, then its own sibling. Siblings are followed in the loop and open parents kept on an explicit
    // stack, so a file a million levels deep reads in the same order without deep recursion.
    std::vector<MshObject*> openParents;
    auto* object = &first;
    auto& reader = *this;

    for (;;)
    {
        readObjectFields (reader, *object);
        reader.objectRead (object);

        if (reader.takeMarker (MshMarker::child))
        {
            object->firstChild = std::make_unique<MshObject>();
            openParents.push_back (object);
            object = object->firstChild.get();
            continue;
        }

        for (;;)
        {
            const auto offset = reader.position();
            const auto endMarker = reader.readUInt32();

            if (endMarker != MshMarker::objectEnd)
                reader.warn (MshWarning::Kind::objectEnd, offset, endMarker, object->name);

            if (reader.takeMarker (MshMarker::sibling))
            {
                object->nextSibling = std::make_unique<MshObject>();
                object = object->nextSibling.get();
                break;
            }

            // The chain ends here, and with it the child record of the innermost open parent.
            if (openParents.empty())
                return;

            object = openParents.back();
            openParents.pop_back();
        }
    }
}

//==============================================================================
Expected<void> mshRead (const void* data, size_t size, const std::function<void (MshReader&)>& read)
{
    juce::MemoryInputStream in (data, size, false);
    const MshWarningHandler noWarnings;

    try
    {
        MshReader reader (in, (juce::int64) size, noWarnings);
        read (reader);
        return {};
    }
    catch (const MshReader::Failure& failure)
    {
        return Failure { Failure::Kind::malformed, failure.reason };
    }
}

Expected<void> mshLoadFile (MshMesh& mesh, const juce::File& file, const MshWarningHandler& onWarning, const MshObjectHandler& onObjectRead)
{
    mesh.clear();
    const auto stream = openInputFile (file);

    if (! stream)
        return stream.failure();

    return mshLoadStream (mesh, **stream, onWarning, onObjectRead);
}

Expected<void> mshLoadMemory (MshMesh& mesh, const void* data, size_t size, const MshWarningHandler& onWarning, const MshObjectHandler& onObjectRead)
{
    juce::MemoryInputStream stream (data, size, false);
    return mshLoadStream (mesh, stream, onWarning, onObjectRead);
}

Expected<void> mshLoadStream (MshMesh& mesh, juce::InputStream& stream, const MshWarningHandler& onWarning, const MshObjectHandler& onObjectRead)
{
    mesh.clear();
    const auto length = stream.getTotalLength() - stream.getPosition();

    if (length <= 0)
        return Failure { Failure::Kind::malformed, "the file is empty" };

    // A load that fails hands its objects back before it frees them, and leaves the model cleared.
    const auto giveUp = [&] (Failure why) -> Expected<void>
    {
        if (onObjectRead)
            onObjectRead (nullptr);

        mesh.clear();
        return why;
    };

    try
    {
        MshReader reader (stream, length, onWarning, onObjectRead);

        // A stream that states a length but gives no byte at all (a directory, a device) is unreadable.
        if (! reader.hasData())
            return Failure { Failure::Kind::ioFailed, "cannot read the file" };

        reader.readHeader (mesh);
        reader.readMeshLists (mesh);
        reader.readObjectTree (mesh.root);

        const auto offset = reader.position();
        const auto endMarker = reader.readUInt32();

        if (endMarker != MshMarker::fileEnd)
            reader.warn (MshWarning::Kind::fileEnd, offset, endMarker, {});

        // Not interpreted either, but part of the file as written.
        mesh.trailingBytes.resize ((size_t) juce::jmax<juce::int64> (0, reader.bytesLeft()));
        mesh.trailingBytes.resize (reader.readBytes (mesh.trailingBytes.data(), mesh.trailingBytes.size()));
        return {};
    }
    catch (const MshReader::Failure& failure)
    {
        return giveUp ({ Failure::Kind::malformed, failure.reason });
    }
    catch (const std::bad_alloc&)
    {
        return giveUp ({ Failure::Kind::noMemory, "out of memory" });
    }
}
