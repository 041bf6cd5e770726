// Tolmar MSH Viewer - what the flags menu of an object says, as plain data.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <vector>

struct FlagsMenuLine
{
    enum class Kind { named, separator, exact };

    Kind kind = Kind::named;
    juce::String text;
    juce::uint32 argb = 0; // text colour

    bool operator== (const FlagsMenuLine& other) const
    {
        return kind == other.kind && text == other.text && argb == other.argb;
    }
};

// The lines of an object's "Flags" sub-menu, top to bottom: the named properties that hold, in the
// menu's fixed order with their colours; a separator when at least one was added; then
// "Exact flags: 0x" and the whole word in lower-case hex.
std::vector<FlagsMenuLine> flagsMenuLines (juce::uint32 flags, bool isHp);

// Lower-case hexadecimal digits without leading zeros ("0" for zero).
juce::String lowerHex (juce::uint32 value);
