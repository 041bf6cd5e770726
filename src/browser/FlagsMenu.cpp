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

void showFlagsMenu (juce::uint32 flags, bool isHp)
{
    // Both menus live only for this call: built, shown modally, gone when it returns.
    auto menu = createFlagsMenu (flags, isHp);
    juce::ignoreUnused (menu.show());
}
