// Tolmar MSH Viewer - the lines of the flags menu, as data.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "browser/FlagLines.h"

#include <gtest/gtest.h>

namespace
{
    using Kind = FlagsMenuLine::Kind;

    const FlagsMenuLine collidable { Kind::named, "Is Collidable", 0xff556b2f };
    const FlagsMenuLine bothSides { Kind::named, "Is drawn on both sides of triangles", 0xff9400d3 };
    const FlagsMenuLine hidden { Kind::named, "Is Hidden from in-game", 0xff555555 };
    const FlagsMenuLine litUp { Kind::named, "Is lit up", 0xffff8c00 };
    const FlagsMenuLine hp { Kind::named, "Is an HP", 0xff2f4f4f };
    const FlagsMenuLine separator { Kind::separator, {}, 0 };

    FlagsMenuLine exact (const char* digits)
    {
        return { Kind::exact, juce::String ("Exact flags: 0x") + digits, 0xff000000 };
    }
}

TEST (FlagLines, NamedLinesFollowTheMenuOrderNotTheBitOrder)
{
    EXPECT_EQ ((std::vector<FlagsMenuLine> { collidable, bothSides, litUp, separator, exact ("310") }),
               flagsMenuLines (0x310, false));
    EXPECT_EQ ((std::vector<FlagsMenuLine> { collidable, bothSides, hidden, litUp, hp, separator, exact ("710") }),
               flagsMenuLines (0x710, true));
}

TEST (FlagLines, ZeroAndOtherBitsShowOnlyTheExactWord)
{
    EXPECT_EQ ((std::vector<FlagsMenuLine> { exact ("0") }), flagsMenuLines (0, false));
    EXPECT_EQ ((std::vector<FlagsMenuLine> { hp, separator, exact ("0") }), flagsMenuLines (0, true));
    EXPECT_EQ ((std::vector<FlagsMenuLine> { exact ("1") }), flagsMenuLines (0x1, false));
    EXPECT_EQ ((std::vector<FlagsMenuLine> { exact ("80000008") }), flagsMenuLines (0x80000008u, false));
    EXPECT_EQ (exact ("ffffffff"), flagsMenuLines (0xffffffffu, false).back());
    EXPECT_EQ (exact ("abcdef"), flagsMenuLines (0xabcdef, false).back());
}
