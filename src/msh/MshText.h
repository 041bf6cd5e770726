// Tolmar MSH Viewer - 8-bit text of .msh files.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

// Each byte becomes the character of the same code (U+0000 to U+00FF).
juce::String mshStringFromLatin1 (const juce::uint8* bytes, size_t size);

// The reverse: one byte a character; characters above U+00FF become '?'.
std::string mshLatin1FromString (const juce::String& text);
