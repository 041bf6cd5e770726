// Tolmar MSH Viewer - the flags menu as JUCE builds it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "browser/FlagsMenu.h"

#include <gtest/gtest.h>

namespace
{
    struct Entry
    {
        bool separator;
        juce::String text;
        juce::uint32 argb;
    };

    // Reads the "Flags" sub-menu back out of the outer menu, checking what every entry must be.
    std::vector<Entry> readFlagsSubMenu (const juce::PopupMenu& outer)
    {
        std::vector<Entry> entries;
        juce::PopupMenu::MenuItemIterator top (outer);
        EXPECT_TRUE (top.next());
        auto& flags = top.getItem();
        EXPECT_EQ (juce::String ("Flags"), flags.text);
        EXPECT_TRUE (flags.isEnabled);
        EXPECT_NE (nullptr, flags.subMenu);
        EXPECT_FALSE (top.next()) << "the outer menu holds one entry";

        if (flags.subMenu == nullptr)
            return entries;

        for (juce::PopupMenu::MenuItemIterator it (*flags.subMenu); it.next();)
        {
            auto& item = it.getItem();

            if (item.isSeparator)
            {
                entries.push_back ({ true, {}, 0 });
                continue;
            }

            EXPECT_EQ (1000, item.itemID) << item.text;
            EXPECT_FALSE (item.isEnabled) << item.text;
            EXPECT_FALSE (item.isTicked) << item.text;
            EXPECT_EQ (nullptr, item.image) << item.text;
            EXPECT_EQ (nullptr, item.subMenu) << item.text;
            entries.push_back ({ false, item.text, item.colour.getARGB() });
        }

        return entries;
    }
}

TEST (FlagsMenu, LinesArriveInTheMenuWithTheirColoursAndASeparatorOnlyAfterNamedLines)
{
    auto entries = readFlagsSubMenu (createFlagsMenu (0x310, false));
    ASSERT_EQ (5u, entries.size());
    EXPECT_EQ (juce::String ("Is Collidable"), entries[0].text);
    EXPECT_EQ (0xff556b2fu, entries[0].argb);
    EXPECT_EQ (juce::String ("Is drawn on both sides of triangles"), entries[1].text);
    EXPECT_EQ (0xff9400d3u, entries[1].argb);
    EXPECT_EQ (juce::String ("Is lit up"), entries[2].text);
    EXPECT_EQ (0xffff8c00u, entries[2].argb);
    EXPECT_TRUE (entries[3].separator);
    EXPECT_EQ (juce::String ("Exact flags: 0x310"), entries[4].text);
    EXPECT_EQ (0xff000000u, entries[4].argb);

    entries = readFlagsSubMenu (createFlagsMenu (0, false));
    ASSERT_EQ (1u, entries.size());
    EXPECT_EQ (juce::String ("Exact flags: 0x0"), entries[0].text);

    entries = readFlagsSubMenu (createFlagsMenu (0, true));
    ASSERT_EQ (3u, entries.size());
    EXPECT_EQ (juce::String ("Is an HP"), entries[0].text);
    EXPECT_EQ (0xff2f4f4fu, entries[0].argb);
    EXPECT_TRUE (entries[1].separator);

    // Table order whatever the bit values, "Is an HP" last; other bits show in the word only.
    entries = readFlagsSubMenu (createFlagsMenu (0x711, true));
    ASSERT_EQ (7u, entries.size());
    EXPECT_EQ (juce::String ("Is Collidable"), entries[0].text);
    EXPECT_EQ (juce::String ("Is drawn on both sides of triangles"), entries[1].text);
    EXPECT_EQ (juce::String ("Is Hidden from in-game"), entries[2].text);
    EXPECT_EQ (0xff555555u, entries[2].argb);
    EXPECT_EQ (juce::String ("Is lit up"), entries[3].text);
    EXPECT_EQ (juce::String ("Is an HP"), entries[4].text);
    EXPECT_EQ (juce::String ("Exact flags: 0x711"), entries[6].text);

    entries = readFlagsSubMenu (createFlagsMenu (0x1, false));
    ASSERT_EQ (1u, entries.size());
    EXPECT_EQ (juce::String ("Exact flags: 0x1"), entries[0].text);

    EXPECT_EQ (juce::String ("Exact flags: 0xffffffff"), readFlagsSubMenu (createFlagsMenu (0xffffffffu, false)).back().text);
    EXPECT_EQ (juce::String ("Exact flags: 0x80000008"), readFlagsSubMenu (createFlagsMenu (0x80000008u, false)).back().text);
}
