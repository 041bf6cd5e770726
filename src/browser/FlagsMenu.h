// Tolmar MSH Viewer - the flags menu an object row opens on a right-click.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The outer menu: one active sub-menu "Flags" holding the object's flag lines, each an inactive coloured
// entry with id 1000 (they inform; none can be chosen).
juce::PopupMenu createFlagsMenu (juce::uint32 flags, bool isHp);

// Draws the flag lines, which cannot be chosen, at full strength rather than faded: they are there to be read.
class ReadableFlagsLook final : public juce::LookAndFeel_V2
{
public:
    void drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator, bool isActive, bool isHighlighted,
                            bool isTicked, bool hasSubMenu, const juce::String& text, const juce::String& shortcutKeyText,
                            const juce::Drawable* icon, const juce::Colour* textColour) override;
};

// Shows it at the mouse and returns once it is dismissed; whatever it returns is ignored.
void showFlagsMenu (juce::uint32 flags, bool isHp);
