// Tolmar MSH Viewer - what the flags menu of an object says, as plain data.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "FlagLines.h"
#include "MshModel.h"

juce::String lowerHex (juce::uint32 value)
{
    char digits[9];
    auto* end = digits + sizeof (digits);
    auto* p = end;

    do
    {
        *--p = "0123456789abcdef"[value & 0xfu];
        value >>= 4;
    }
    while (value != 0);

    return juce::String (p, (size_t) (end - p));
}

std::vector<FlagsMenuLine> flagsMenuLines (juce::uint32 flags, bool isHp)
{
    struct NamedLine { bool holds; const char* text; juce::uint32 argb; };

    // In this order, whatever the bit values: the order users know from the menu.
    const NamedLine table[] = {
        { (flags & MshFlag::collidable) != 0, "Is Collidable",                       0xff556b2f },
        { (flags & MshFlag::twoSided) != 0,   "Is drawn on both sides of triangles", 0xff9400d3 },
        { (flags & MshFlag::hidden) != 0,     "Is Hidden from in-game",              0xff555555 },
        { (flags & MshFlag::lit) != 0,        "Is lit up",                           0xffff8c00 },
        { isHp,                  "Is an HP",                            0xff2f4f4f },
    };

    std::vector<FlagsMenuLine> lines;

    for (auto& line : table)
        if (line.holds)
            lines.push_back ({ FlagsMenuLine::Kind::named, line.text, line.argb });

    if (! lines.empty())
        lines.push_back ({ FlagsMenuLine::Kind::separator, {}, 0 });

    lines.push_back ({ FlagsMenuLine::Kind::exact, "Exact flags: 0x" + lowerHex (flags), 0xff000000 });
    return lines;
}
