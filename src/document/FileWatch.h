// Tolmar MSH Viewer - tells when a file has changed since it was read and a writer seems done with it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/FileSystem.h"

// Asked again and again (every few tens of milliseconds), says when the file differs from what was last
// read and has stayed the same for settleMilliseconds: a writer that pauses for less is not yet done.
class FileWatch final
{
public:
    static constexpr double settleMilliseconds = 200;

    // What the file is now is what was read.
    void markRead (const juce::File& file);

    bool isChangedAndSettled (const juce::File& file, double nowMilliseconds);

private:
    struct Stamp
    {
        FileSystem::Info::Kind kind = FileSystem::Info::Kind::missing;
        juce::uint64 device = 0, identity = 0;
        juce::int64 size = -1, modified = 0;

        bool operator== (const Stamp& o) const
        {
            return kind == o.kind && device == o.device && identity == o.identity && size == o.size && modified == o.modified;
        }
    };

    static Stamp stampOf (const juce::File& file);

    Stamp read, seen;
    double seenSince = 0;
};
