// Tolmar MSH Viewer - helpers shared by the reader's tests.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"

LoadOutcome loadBytes (MshMesh& mesh, const juce::MemoryBlock& bytes)
{
    LoadOutcome outcome;
    outcome.loaded = mesh.loadFromMemory (bytes.getData(), bytes.getSize(), [&outcome] (const MshWarning& w) { outcome.warnings.push_back (w); });
    outcome.error = mesh.getLoadError();
    return outcome;
}

LoadOutcome loadFile (MshMesh& mesh, const juce::File& file)
{
    LoadOutcome outcome;
    outcome.loaded = mesh.loadFromFile (file, [&outcome] (const MshWarning& w) { outcome.warnings.push_back (w); });
    outcome.error = mesh.getLoadError();
    return outcome;
}

void writeBareObject (MshWriter& w, const char* name, juce::uint32 flags)
{
    w.shortString (name).int32 (0).int32 (0).uint32 (flags).zeros (64); // name, values, flags, matrix
    for (int i = 0; i < 5; ++i)                                          // list4, list16, vertices,
        w.uint32 (0);                                                    // quadEntries, indices
}

juce::File ScratchFolder::write (const juce::String& name, const juce::MemoryBlock& bytes) const
{
    // Not replaceWithData: given no bytes it deletes the file instead of leaving an empty one.
    auto target = folder.getChildFile (name);
    target.deleteFile();
    juce::FileOutputStream out (target);

    if (bytes.getSize() > 0) // an empty block has no data pointer, which JUCE would hand to memcpy
        out.write (bytes.getData(), bytes.getSize());

    return target;
}
