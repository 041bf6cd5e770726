// Tolmar MSH Viewer - the reading side of the mesh model.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "Expected.h"
#include "MshModel.h"
#include "SystemMemory.h"

// Reads the format's encodings from a stream of known length through its own buffer, so a field costs a
// few instructions instead of a system call. Every read checks the bytes left first; a read past the end
// gives 0 (or an empty string) and consumes the partial bytes, as the format's files have always been read.
// A list count that claims more elements than the bytes left could hold at 2 bytes each (no element is
// smaller) ends the load with MshReader::Failure before anything is allocated for it; so does a claim that
// would take the lists past 64 times the file's size, which only lists nested in claimed entries can do.
class MshReader final
{
public:
    static constexpr size_t readBufferSize = 256 * 1024;

    struct Failure
    {
        juce::String reason;
    };

    MshReader (juce::InputStream& source, juce::int64 totalLength, const MshWarningHandler& onWarning,
               const MshObjectHandler& onObjectRead = {});

    juce::int64 position() const noexcept      { return position_; }
    juce::int64 bytesLeft() const noexcept     { return totalLength - position_; }

    juce::int16 readInt16();
    juce::int32 readInt32();
    juce::uint32 readUInt32()                  { return (juce::uint32) readInt32(); }
    float readFloat32();

    // Reads up to size bytes; bytes of dest beyond those that were there keep what they held.
    size_t readBytes (void* dest, size_t size);

    // The same for little-endian 32-bit words (floats), turned into host order.
    void readWords (void* dest, size_t size);

    // False when the stream cannot give even one byte.
    bool hasData();

    // Advances size bytes or to the end.
    void skip (juce::uint64 size);

    // Consumes the next int32 only when it equals marker (the "remember, read, go back" of the format).
    bool takeMarker (juce::uint32 marker);

    // An int16 length L, then L bytes of 8-bit text cut at the first zero byte; a negative L
    // swallows everything that is left.
    juce::String readShortString();

    // A list count, checked against the bytes left (count × 2 must fit) and against the budget for
    // elements of elementSize bytes in memory.
    juce::uint32 readCount (const char* listName, size_t elementSize);

    // A list of raw records or other packed little-endian values, filled with one bulk read.
    template <typename T>
    void readPackedList (std::vector<T>& list, const char* listName)
    {
        mshReleaseList (list);
        const auto count = readCount (listName, sizeof (T));

        if (count == 0)
            return;

        // The pages of a big list are made in one go, not one fault at a time while it is filled.
        list.reserve (count);
        prefaultForWriting (list.data(), (size_t) count * sizeof (T));
        list.resize (count);
        readBytes (list.data(), (size_t) count * sizeof (T)); // past the end, the rest stays zero
        fixPackedByteOrder (list.data(), (size_t) count * sizeof (T), elementWordSize<T>());
    }

    // A list of entries, each read by readElement.
    template <typename T, typename ReadElement>
    void readEntryList (std::vector<T>& list, const char* listName, ReadElement&& readElement)
    {
        mshReleaseList (list);
        const auto count = readCount (listName, sizeof (T));

        if (count == 0)
            return;

        list.resize (count);

        for (auto& element : list)
            readElement (element);
    }

    // The sections of a file, in file order: before its objects, then an object with its whole child
    // subtree and sibling chain.
    void readHeader (MshMesh& mesh);
    void readMeshLists (MshMesh& mesh);
    void readObjectTree (MshObject& first);

    void readTripleEntry (MshTripleEntry& entry);
    void readPairSet (MshPairSet& set);
    void readQuadEntry (MshQuadEntry& entry);
    void readNamedGroup (MshNamedGroup& group);
    void readSubGroup (MshSubGroup& group);

    void warn (MshWarning::Kind kind, juce::int64 offset, juce::uint32 found, const juce::String& objectName);
    void objectRead (const MshObject* object)   { if (onObjectRead) onObjectRead (object); }

    // Names the list being read in a failure reason: "of object \"door\"".
    void setContext (const juce::String& context)    { context_ = context; }

private:
    template <typename T>
    static constexpr size_t elementWordSize()
    {
        if constexpr (std::is_same_v<T, juce::uint16>) return 2;
        else if constexpr (std::is_same_v<T, MshVertex>) return 4;
        else return 1; // raw records are kept byte for byte
    }

    static void fixPackedByteOrder (void* data, size_t size, size_t wordSize) noexcept;

    // Makes at least wanted bytes (or all that are left) available in the buffer; returns how many are.
    size_t fill (size_t wanted);
    void sourceEnded() noexcept;

    template <typename Block>
    void readOptionalBlock (std::unique_ptr<Block>& block, juce::uint32 marker);

    juce::InputStream& source;
    juce::int64 totalLength;
    juce::int64 position_ = 0;
    juce::uint64 listBudget;   // bytes the lists may still take in memory
    const MshWarningHandler& onWarning;
    const MshObjectHandler& onObjectRead;
    juce::String context_;

    juce::HeapBlock<juce::uint8> buffer;
    size_t bufferSize = 0;
    size_t bufferStart = 0; // first unread byte in buffer
    size_t bufferEnd = 0;   // one past the last buffered byte

    JUCE_DECLARE_NON_COPYABLE (MshReader)
};

// Clears mesh and reads the file into it. Fails for a missing, empty, unreadable file or a directory, and
// for a file whose list counts cannot fit in it; then the model is cleared again. Each wrong end marker
// goes to onWarning as it is read, each object to onObjectRead (see MshObjectHandler).
Expected<void> mshLoadFile (MshMesh& mesh, const juce::File& file, const MshWarningHandler& onWarning = {}, const MshObjectHandler& onObjectRead = {});

// The same from any stream whose total length is known (memory, a fuzzer's bytes).
Expected<void> mshLoadStream (MshMesh& mesh, juce::InputStream& stream, const MshWarningHandler& onWarning = {}, const MshObjectHandler& onObjectRead = {});
Expected<void> mshLoadMemory (MshMesh& mesh, const void* data, size_t size, const MshWarningHandler& onWarning = {}, const MshObjectHandler& onObjectRead = {});

// Parts of the format read by read from bytes in memory (kept elsewhere, as in glTF extras); a failure
// when they claim more than the bytes hold.
Expected<void> mshRead (const void* data, size_t size, const std::function<void (MshReader&)>& read);
