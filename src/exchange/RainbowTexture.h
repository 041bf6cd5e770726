// Tolmar MSH Viewer - the one texture every object is drawn with (and exported with).
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <array>

// 2 × 2 texels in blue, green, red, alpha order: white, yellow (first row, t near 0), magenta, cyan; all
// opaque. Every byte 0xFF except bytes 4, 9 and 14.
inline constexpr std::array<juce::uint8, 16> rainbowTexels { 0xFF, 0xFF, 0xFF, 0xFF,   0x00, 0xFF, 0xFF, 0xFF,
                                                             0xFF, 0x00, 0xFF, 0xFF,   0xFF, 0xFF, 0x00, 0xFF };
