// Tolmar MSH Viewer - the flags menu an object row opens on a right-click.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "FlagsMenu.h"
#include "msh/FlagLines.h"

namespace
{
    constexpr int flagLineId = 1000;
}

juce::PopupMenu createFlagsMenu (juce::uint32 flags, bool isHp)
{
    juce::PopupMenu flagsMenu;

    for (auto& line : flagsMenuLines (flags, isHp))
    {
        if (line.kind == FlagsMenuLine::Kind::separator)
            flagsMenu.addSeparator();
        else
            flagsMenu.addColouredItem (flagLineId, line.text, juce::Colour (line.argb), false, false, juce::Image());
    }

    juce::PopupMenu outer;
    outer.addSubMenu ("Flags", flagsMenu, true);
    return outer;
}

void ReadableFlagsLook::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator, bool, bool isHighlighted,
                                           bool isTicked, bool hasSubMenu, const juce::String& text, const juce::String& shortcutKeyText,
                                           const juce::Drawable* icon, const juce::Colour* textColour)
{
    LookAndFeel_V2::drawPopupMenuItem (g, area, isSeparator, true, isHighlighted, isTicked, hasSubMenu, text, shortcutKeyText, icon, textColour);
}

void showFlagsMenu (juce::uint32 flags, bool isHp)
{
    // Both menus and their look live only for this call: built, shown modally, gone when it returns.
    ReadableFlagsLook look;
    auto menu = createFlagsMenu (flags, isHp);
    menu.setLookAndFeel (&look);
    juce::ignoreUnused (menu.show());
}
