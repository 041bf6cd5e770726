// Tolmar MSH Viewer - the glossy look every part of the viewer is drawn in.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// JUCE's glass-button style of old (gradient title bars, glass spheres, glossy buttons).
class ShinyLookAndFeel final : public juce::LookAndFeel_V2
{
public:
    ShinyLookAndFeel() = default;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ShinyLookAndFeel)
};
