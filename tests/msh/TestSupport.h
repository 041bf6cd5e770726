// Tolmar MSH Viewer - helpers shared by the reader's tests.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshGeometry.h"
#include "msh/MshWriter.h"
#include "samples/SampleMeshes.h"

#include <gtest/gtest.h>

struct LoadOutcome
{
    bool loaded = false;
    std::vector<MshWarning> warnings;
    juce::String error;

    std::vector<juce::int64> offsets() const;
};

// Loads bytes as a file of that length, recording every warning.
LoadOutcome loadBytes (MshMesh& mesh, const juce::MemoryBlock& bytes);

// An object record's fields up to its indices: name, zero values, flags, a zero matrix, five empty lists.
void writeBareObject (MshWriter& writer, const char* name, juce::uint32 flags = 0);

// The header of an empty model and the first `lists` of its thirteen lists, all empty.
void writeHeaderAndEmptyLists (MshWriter& writer, int lists = 13);

// What a failed call said; empty when it did not fail.
template <typename T>
juce::String failureOf (const Expected<T>& outcome)     { return outcome.ok() ? juce::String() : outcome.message(); }

// The writer puts every field a file carries into it, so equal files mean equal models.
inline bool sameModel (const MshMesh& a, const MshMesh& b)    { return mshWriteToMemory (a) == mshWriteToMemory (b); }

// The bundled sample as a file, with the end markers given (the right ones by default).
inline juce::MemoryBlock sampleFileBytes (std::function<juce::uint32 (const MshObject&)> endMarkerFor = {})
{
    MshMesh mesh;
    buildSampleMesh (mesh);
    juce::MemoryOutputStream out;
    MshWriter writer (out);
    writer.endMarkerFor = std::move (endMarkerFor);
    writer.mesh (mesh);
    return out.getMemoryBlock();
}

// The last object of that name in root's hierarchy, root's siblings included; nullptr if there is none.
template <typename Object>
Object* named (Object& root, const char* name)
{
    Object* found = nullptr;
    mshForEachObject (root, true, [&] (Object& o, int, juce::int64, juce::int64) { found = o.name == name ? &o : found; });
    return found;
}

// Runs a program to its end (at most five minutes): its exit status, and what it printed on standard
// output (and on standard error, with errorsToo) into output.
int runProgram (const juce::StringArray& command, juce::String* output = nullptr, bool errorsToo = false);

// Names each case of a table (TEST_P) after its own name field.
struct CaseName
{
    template <typename Info>
    std::string operator() (const Info& table) const  { return table.param.name; }
};

// Holds nothing but what clear() leaves in place.
bool isCleared (const MshMesh& mesh);

// Measures from now: how many more bytes than now were held through operator new at most since.
std::function<size_t()> measureAllocationPeak();

// A fresh temporary folder, removed with everything in it.
struct ScratchFolder
{
    ScratchFolder()     { folder.createDirectory(); }
    ~ScratchFolder()    { folder.deleteRecursively(); }

    juce::File write (const juce::String& name, const juce::MemoryBlock& bytes) const
    {
        // Not replaceWithData: given no bytes it deletes the file instead of leaving an empty one.
        auto target = folder.getChildFile (name);
        target.deleteFile();
        juce::FileOutputStream out (target);

        if (bytes.getSize() > 0) // an empty block has no data pointer, which JUCE would hand to memcpy
            out.write (bytes.getData(), bytes.getSize());

        return target;
    }

    juce::File write (const juce::String& name, const std::string& text) const   { return write (name, juce::MemoryBlock (text.data(), text.size())); }

    juce::File folder = juce::File::createTempFile ("msh-tests");
};
