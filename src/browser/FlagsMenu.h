// Tolmar MSH Viewer - the flags menu an object row opens on a right-click.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The outer menu: one active sub-menu "Flags" holding the object's flag lines, each an inactive coloured
// entry with id 1000 (they inform; none can be chosen).
juce::PopupMenu createFlagsMenu (juce::uint32 flags, bool isHp);

// Shows it at the mouse and returns once it is dismissed; whatever it returns is ignored.
void showFlagsMenu (juce::uint32 flags, bool isHp);
