// Tolmar MSH Viewer - helpers shared by the reader's tests.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshModel.h"
#include "msh/MshWriter.h"

#include <gtest/gtest.h>

struct LoadOutcome
{
    bool loaded = false;
    std::vector<MshWarning> warnings;
    juce::String error;
};

// Loads bytes through the same path as a file (a stream of known length), recording every warning.
LoadOutcome loadBytes (MshMesh& mesh, const void* data, size_t size);
LoadOutcome loadBytes (MshMesh& mesh, const juce::MemoryBlock& bytes);
LoadOutcome loadFile (MshMesh& mesh, const juce::File& file);

// An object record's fields up to its indices: name, zero values, flags, a zero matrix, five empty lists.
void writeBareObject (MshWriter& writer, const char* name, juce::uint32 flags = 0);

// Whether two models hold the same values in every field a file carries, the whole object tree included:
// the writer puts every such field into the file, so equal files mean equal models.
bool sameModel (const MshMesh& a, const MshMesh& b);

// Every object of the tree in file order (an object, its subtree, then its next sibling).
std::vector<const MshObject*> objectsInFileOrder (const MshObject& root);

// A file in a fresh temporary folder, removed with the folder.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();

    juce::File file (const juce::String& name) const    { return folder.getChildFile (name); }
    juce::File write (const juce::String& name, const juce::MemoryBlock& bytes) const;

private:
    juce::File folder;
};
