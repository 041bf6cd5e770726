// Tolmar MSH Viewer - reading only regular files, and writing files that are whole or absent.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "Expected.h"

#include <memory>
#include <optional>
#include <vector>

// A regular file opened for reading, as a stream of known length; for anything else the reason: "no
// such file", "is a directory", "is not a regular file" (a FIFO, a device: never waited on), or
// "cannot open: " and the system's reason.
Expected<std::unique_ptr<juce::InputStream>> openInputFile (const juce::File& file);

// The file a path names inside folder, as a file from a stranger may name one: never by an absolute path
// or a URI of another kind, never by ".." out of the folder, and through symbolic links only where they
// lead to a place inside it. Failure::Kind::outside says which rule a path breaks.
Expected<juce::File> fileInside (const juce::File& folder, const juce::String& path);

// Where a write to path lands: path itself, or for a symbolic link the file it leads to (the link stays).
// Fails for a loop of links.
Expected<juce::File> resolveOutputPath (const juce::File& path);

// Files written under temporary names in their targets' folders and put in place together, only once every
// write and every close succeeded. After any failure no target has changed and no temporary file is left,
// and error() names the file and gives the system's reason; on an interrupt, a request to terminate or a
// hang-up, the temporary files are removed before the program ends. A target that is replaced keeps its
// permissions, and its owner and group where the program may give them. A target may be missing or a regular file
// (a link to one writes the file it leads to); a folder or anything else at a target is never replaced.
class OutputFileSet final
{
public:
    OutputFileSet();
    ~OutputFileSet();

    // The stream standing in for target until commit. Writes are buffered: a failure may show only at
    // commit. Add the file that names the others last: files are put in place in the order they were
    // added. A target that cannot be written drops the whole set: "cannot write FILE: reason", or
    // "FILE: is a directory" (or "is not a regular file") for a target refused as it stands; a dropped
    // set refuses every later add and its commit with the same failure.
    Expected<juce::OutputStream*> add (const juce::File& target);

    // Closes and checks every file, then renames each over its target; should one rename fail, the files
    // already renamed are put back as they were. After a failure, nothing of the set is left.
    Expected<void> commit();

    // Drops every temporary file; the targets stay as they were.
    void discard();

    // The targets, links resolved, in the order added.
    juce::Array<juce::File> targets() const;

    class Stream;

private:
    struct Entry;
    std::vector<std::unique_ptr<Entry>> entries;
    std::optional<Failure> dropped;     // what stopped the set

    JUCE_DECLARE_NON_COPYABLE (OutputFileSet)
};

// An advisory lock on a folder while it lives (see FileSystem::lockFolder): exclusive while a file set is
// put in place, shared while one is read.
class FolderLock final
{
public:
    FolderLock (const juce::File& folder, bool exclusive);
    ~FolderLock();

private:
    const juce::int64 handle;

    JUCE_DECLARE_NON_COPYABLE (FolderLock)
};

// Removes the temporary files of ours that a killed program left in folder more than a day ago.
void removeStaleTemporaries (const juce::File& folder);

// One whole file from bytes in memory, written as above.
Expected<void> writeFileAtomically (const juce::File& target, const void* data, size_t size);
