// Tolmar MSH Viewer - helpers shared by the reader's tests.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshWriter.h"
#include "tools/SampleMeshes.h"

#include <gtest/gtest.h>

struct LoadOutcome
{
    bool loaded = false;
    std::vector<MshWarning> warnings;
    juce::String error;
};

// Loads bytes as a file of that length (or a file itself), recording every warning.
LoadOutcome loadBytes (MshMesh& mesh, const juce::MemoryBlock& bytes);
LoadOutcome loadFile (MshMesh& mesh, const juce::File& file);

// An object record's fields up to its indices: name, zero values, flags, a zero matrix, five empty lists.
void writeBareObject (MshWriter& writer, const char* name, juce::uint32 flags = 0);

// The writer puts every field a file carries into it, so equal files mean equal models.
inline bool sameModel (const MshMesh& a, const MshMesh& b)    { return mshWriteToMemory (a) == mshWriteToMemory (b); }

// A fresh temporary folder, removed with everything in it.
struct ScratchFolder
{
    ScratchFolder()     { folder.createDirectory(); }
    ~ScratchFolder()    { folder.deleteRecursively(); }

    juce::File write (const juce::String& name, const juce::MemoryBlock& bytes) const;

    juce::File folder = juce::File::createTempFile ("msh-tests");
};
