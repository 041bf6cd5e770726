// Tolmar MSH Viewer - base64, as fast as the bytes it carries: the raw lists kept in glTF extras.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

// The characters base64 takes for size bytes: four for every three begun.
constexpr size_t base64Size (size_t bytes)   { return (bytes + 2) / 3 * 4; }

// Writes base64Size (size) characters to text, '=' padded.
void base64Encode (const juce::uint8* data, size_t size, char* text);

// The bytes of base64 text (padded or not, no spaces), or nothing for text that is not base64.
std::optional<std::vector<juce::uint8>> base64Decode (const char* text, size_t length);
