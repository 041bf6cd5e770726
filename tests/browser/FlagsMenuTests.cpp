// Tolmar MSH Viewer - the flags menu as JUCE builds it, read back entry by entry.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "app/GuiTestSupport.h"
#include "browser/FlagsMenu.h"

#include <gtest/gtest.h>

namespace
{
    // The one entry "Flags" of the outer menu, then its sub-menu's entries as "text/colour" ("-" for a
    // separator), each checked to be an inactive, unticked entry 1000 without image or sub-menu.
    juce::StringArray flagsMenu (juce::uint32 flags, bool isHp)
    {
        const auto outer = createFlagsMenu (flags, isHp);
        juce::StringArray entries;
        juce::PopupMenu subMenu;
        for (juce::PopupMenu::MenuItemIterator top (outer); top.next(); subMenu = *top.getItem().subMenu)
            entries.add (top.getItem().text + (top.getItem().isEnabled ? "" : " (inactive)"));

        for (juce::PopupMenu::MenuItemIterator it (subMenu); it.next();)
        {
            auto& line = it.getItem();
            const auto plain = line.itemID == 1000 && ! line.isEnabled && ! line.isTicked && line.image == nullptr && line.subMenu == nullptr;
            entries.add (line.isSeparator ? "-" : line.text + "/" + line.colour.toString() + (plain ? "" : " (not plain)"));
        }
        return entries;
    }
}

TEST (FlagsMenu, NamedLinesInMenuOrderWithTheirColoursThenASeparatorThenTheExactWord)
{
    EXPECT_EQ (juce::StringArray ({ "Flags", "Is Collidable/ff556b2f", "Is drawn on both sides of triangles/ff9400d3",
                                    "Is lit up/ffff8c00", "-", "Exact flags: 0x310/ff000000" }),
               flagsMenu (0x310, false));
    EXPECT_EQ (juce::StringArray ({ "Flags", "Is Collidable/ff556b2f", "Is drawn on both sides of triangles/ff9400d3",
                                    "Is Hidden from in-game/ff555555", "Is lit up/ffff8c00", "Is an HP/ff2f4f4f", "-",
                                    "Exact flags: 0x711/ff000000" }),
               flagsMenu (0x711, true));
    EXPECT_EQ (juce::StringArray ({ "Flags", "Is an HP/ff2f4f4f", "-", "Exact flags: 0x0/ff000000" }), flagsMenu (0, true));
    EXPECT_EQ (juce::StringArray ({ "Flags", "Exact flags: 0x1/ff000000" }), flagsMenu (0x1, false));
    EXPECT_EQ (juce::String ("Exact flags: 0xffffffff/ff000000"), flagsMenu (0xffffffffu, false)[6]);
}

TEST (FlagsMenu, ALineThatCannotBeChosenIsDrawnAtFullContrast)
{
    ReadableFlagsLook look;
    juce::Image image (juce::Image::RGB, 300, 24, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::white);
    const juce::Colour collidable (0xff556b2f);
    look.drawPopupMenuItem (g, image.getBounds(), false, false, false, false, false, "Is Collidable", {}, nullptr, &collidable);
    auto strongest = juce::Colours::white;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            strongest = contrastRatio (image.getPixelAt (x, y), juce::Colours::white) > contrastRatio (strongest, juce::Colours::white) ? image.getPixelAt (x, y) : strongest;
    EXPECT_NEAR (contrastRatio (collidable, juce::Colours::white), contrastRatio (strongest, juce::Colours::white), 0.5) << strongest.toString();
}
