// Tolmar MSH Viewer - the few file-system calls the project makes itself, each failure with the system's reason.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
//
// JUCE's files neither tell a FIFO from a file (opening one waits for a writer), nor check a close, nor
// rename without first deleting what stands at the target (an empty folder included). These do; one
// source file a platform implements them in. A failure's message is the system's reason alone: the
// callers name the file.
#pragma once

#include "Expected.h"

namespace FileSystem
{
    struct Info
    {
        enum class Kind { missing, regular, directory, link, other }; // link only when links are not followed

        Kind kind = Kind::missing;
        juce::uint64 device = 0, identity = 0;   // together they name the file, whatever path leads to it
        juce::uint32 permissions = 0;
        juce::uint32 owner = 0, group = 0;       // where the system has them
        juce::int64 size = 0;
        juce::int64 modified = 0;                // last written, in the system's finest steps
        bool readOnly = false;                   // marked by its owner as not to be replaced (Windows)
    };

    // What stands at path, links followed (or not); a missing path is kind missing, a loop of links or a
    // folder that may not be looked into is a failure.
    Expected<Info> lookUp (const juce::File& path, bool followLinks);

    // What a symbolic link points to, as written in it; a failure for anything that is no link.
    Expected<juce::String> readLink (const juce::File& path);

    // A regular file opened for reading without ever waiting (a FIFO or device is refused at once).
    struct OpenFile
    {
        int handle = -1;
        juce::int64 size = 0;
    };

    Expected<OpenFile> openToRead (const juce::File& path);
    juce::int64 read (int handle, void* buffer, size_t size);   // bytes read, 0 at the end, -1 on a failure
    Expected<void> seek (int handle, juce::int64 position);

    // Creates a file that did not exist, for writing, with the permissions given (less the umask).
    Expected<int> createNew (const juce::File& path, juce::uint32 permissions);
    Expected<void> writeAll (int handle, const void* data, size_t size);
    Expected<void> close (int handle);

    // Renames over a regular file in one step, or fails and leaves both as they were.
    Expected<void> replace (const juce::File& from, const juce::File& to);
    Expected<void> hardLink (const juce::File& existing, const juce::File& newName);
    Expected<void> remove (const juce::File& path);

    // Why a file may not be replaced as it stands, in the system's words (Windows: its read-only mark).
    Expected<void> mayReplace (const Info& target);

    // Gives an open file the owner and group of another, where the process may (else nothing changes).
    void keepOwner (int handle, const Info& of);

    // An advisory lock on a folder, shared or exclusive, until unlockFolder: writers of a file set hold it
    // exclusively while they put the set in place, readers of a set shared while they read it, so no
    // reader sees a set half replaced and two writers never mix their sets. -1 where the system cannot
    // lock the folder (then nothing waits).
    juce::int64 lockFolder (const juce::File& folder, bool exclusive);
    void unlockFolder (juce::int64 lock);

    // On an interrupt (Ctrl-C), a request to terminate or a hang-up: calls cleanup, then ends the program
    // with 128 + the signal's number. cleanup may only do what a signal handler may.
    void onInterruption (void (*cleanup)());

    // Removes a file from within a signal handler: path as UTF-8.
    void removeFromHandler (const char* path) noexcept;

    // A path as the system compares names: as it is, or in lower case where letter case makes no other file.
    juce::String comparablePath (const juce::File& path);
}
