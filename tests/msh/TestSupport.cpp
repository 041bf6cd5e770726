// Tolmar MSH Viewer - helpers shared by the reader's tests.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "TestSupport.h"
#include "tools/MshInfoReport.h"

LoadOutcome loadBytes (MshMesh& mesh, const void* data, size_t size)
{
    LoadOutcome outcome;
    outcome.loaded = mesh.loadFromMemory (data, size, [&outcome] (const MshWarning& w) { outcome.warnings.push_back (w); });
    outcome.error = mesh.getLoadError();
    return outcome;
}

LoadOutcome loadBytes (MshMesh& mesh, const juce::MemoryBlock& bytes)
{
    return loadBytes (mesh, bytes.getData(), bytes.getSize());
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
    w.shortString (name).int32 (0).int32 (0).uint32 (flags);
    w.zeros (64);                 // matrix
    for (int i = 0; i < 5; ++i)   // list4, list16, vertices, quadEntries, indices
        w.uint32 (0);
}

std::vector<const MshObject*> objectsInFileOrder (const MshObject& root)
{
    std::vector<const MshObject*> order;
    forEachObjectInFileOrder (root, [&order] (const MshObject& o, int, juce::int64, juce::int64) { order.push_back (&o); });
    return order;
}

bool sameModel (const MshMesh& a, const MshMesh& b)
{
    return mshWriteToMemory (a) == mshWriteToMemory (b);
}

ScratchFolder::ScratchFolder()
    : folder (juce::File::createTempFile ("msh-tests"))
{
    folder.createDirectory();
}

ScratchFolder::~ScratchFolder()
{
    folder.deleteRecursively();
}

juce::File ScratchFolder::write (const juce::String& name, const juce::MemoryBlock& bytes) const
{
    // Not replaceWithData: given no bytes it deletes the file instead of leaving an empty one.
    auto target = file (name);
    target.deleteFile();
    juce::FileOutputStream out (target);

    if (bytes.getSize() > 0) // an empty block has no data pointer, which JUCE would hand to memcpy
        out.write (bytes.getData(), bytes.getSize());

    return target;
}
