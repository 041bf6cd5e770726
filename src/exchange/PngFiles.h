// Tolmar MSH Viewer - PNG pictures from pixel rows, through stb_image_write.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/Expected.h"

#include <vector>

// width × height pixels of `channels` bytes each (3 RGB, 4 RGBA), top row first, as PNG bytes; empty when
// they cannot be encoded.
std::vector<juce::uint8> encodePng (const juce::uint8* pixels, int width, int height, int channels);

// Writes the PNG under a temporary name beside the target and renames it into place, so no reader ever
// finds a half-written picture there; a failure leaves no file.
Expected<void> writePngFile (const juce::File& target, const juce::uint8* pixels, int width, int height, int channels);
