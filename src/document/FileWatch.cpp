// Tolmar MSH Viewer - tells when a file has changed since it was read and a writer seems done with it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "FileWatch.h"

FileWatch::Stamp FileWatch::stampOf (const juce::File& file)
{
    Stamp stamp;

    if (const auto info = FileSystem::lookUp (file, true))
        stamp = { info->kind, info->device, info->identity, info->size, info->modified };

    return stamp;
}

void FileWatch::markRead (const juce::File& file)
{
    read = seen = stampOf (file);
}

bool FileWatch::isChangedAndSettled (const juce::File& file, double nowMilliseconds)
{
    const auto now = stampOf (file);

    if (! (now == seen))
    {
        seen = now;
        seenSince = nowMilliseconds;
        return false;
    }

    // Gone or replaced by a folder: a writer may be between deleting and writing anew.
    if (now == read || now.kind != FileSystem::Info::Kind::regular || nowMilliseconds - seenSince < settleMilliseconds)
        return false;

    read = now;
    return true;
}
