// Tolmar MSH Viewer - the flags menu as JUCE builds it, read back entry by entry.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "browser/FlagsMenu.h"

#include <gtest/gtest.h>

namespace
{
    // The "Flags" sub-menu's entries as "text/colour" ("-" for a separator), checking what each must be.
    juce::StringArray flagsSubMenu (juce::uint32 flags, bool isHp)
    {
        const auto outer = createFlagsMenu (flags, isHp);
        juce::PopupMenu::MenuItemIterator top (outer);
        EXPECT_TRUE (top.next());
        auto& item = top.getItem();
        EXPECT_EQ (juce::String ("Flags"), item.text);
        EXPECT_TRUE (item.isEnabled);
        EXPECT_FALSE (top.next()) << "the outer menu holds one entry";

        juce::StringArray entries;
        for (juce::PopupMenu::MenuItemIterator it (*item.subMenu); it.next();)
        {
            auto& line = it.getItem();
            EXPECT_TRUE (line.isSeparator || (line.itemID == 1000 && ! line.isEnabled && ! line.isTicked
                                              && line.image == nullptr && line.subMenu == nullptr)) << line.text;
            entries.add (line.isSeparator ? "-" : line.text + "/" + line.colour.toString());
        }
        return entries;
    }
}

TEST (FlagsMenu, NamedLinesInMenuOrderWithTheirColoursThenASeparatorThenTheExactWord)
{
    EXPECT_EQ (juce::StringArray ({ "Is Collidable/ff556b2f", "Is drawn on both sides of triangles/ff9400d3",
                                    "Is lit up/ffff8c00", "-", "Exact flags: 0x310/ff000000" }),
               flagsSubMenu (0x310, false));
    EXPECT_EQ (juce::StringArray ({ "Is Collidable/ff556b2f", "Is drawn on both sides of triangles/ff9400d3",
                                    "Is Hidden from in-game/ff555555", "Is lit up/ffff8c00", "Is an HP/ff2f4f4f", "-",
                                    "Exact flags: 0x711/ff000000" }),
               flagsSubMenu (0x711, true));
    EXPECT_EQ (juce::StringArray ({ "Is an HP/ff2f4f4f", "-", "Exact flags: 0x0/ff000000" }), flagsSubMenu (0, true));
    EXPECT_EQ (juce::StringArray ({ "Exact flags: 0x0/ff000000" }), flagsSubMenu (0, false));
    EXPECT_EQ (juce::StringArray ({ "Exact flags: 0x1/ff000000" }), flagsSubMenu (0x1, false));
    EXPECT_EQ (juce::String ("Exact flags: 0xffffffff/ff000000"), flagsSubMenu (0xffffffffu, false)[5]);
    EXPECT_EQ (juce::String ("Exact flags: 0x80000008/ff000000"), flagsSubMenu (0x80000008u, false)[0]);
}
