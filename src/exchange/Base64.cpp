// Tolmar MSH Viewer - base64, as fast as the bytes it carries: the raw lists kept in glTF extras.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "Base64.h"

#include <array>

namespace
{
    constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

    // Each character's six bits, or 64 for one that is not in the alphabet.
    constexpr std::array<juce::uint8, 256> sixBits = []
    {
        std::array<juce::uint8, 256> table {};
        for (auto& entry : table)
            entry = 64;
        for (juce::uint8 i = 0; i < 64; ++i)
            table[(juce::uint8) alphabet[i]] = i;
        return table;
    }();
}

void base64Encode (const juce::uint8* data, size_t size, char* text)
{
    size_t i = 0;

    for (; i + 3 <= size; i += 3, text += 4)
    {
        const auto bits = (juce::uint32) data[i] << 16 | (juce::uint32) data[i + 1] << 8 | data[i + 2];
        text[0] = alphabet[bits >> 18];
        text[1] = alphabet[(bits >> 12) & 63];
        text[2] = alphabet[(bits >> 6) & 63];
        text[3] = alphabet[bits & 63];
    }

    if (i < size)
    {
        const auto bits = (juce::uint32) data[i] << 16 | (i + 1 < size ? (juce::uint32) data[i + 1] << 8 : 0u);
        text[0] = alphabet[bits >> 18];
        text[1] = alphabet[(bits >> 12) & 63];
        text[2] = i + 1 < size ? alphabet[(bits >> 6) & 63] : '=';
        text[3] = '=';
    }
}

std::optional<std::vector<juce::uint8>> base64Decode (const char* text, size_t length)
{
    // Padding only at the end, and at most two.
    for (int padding = 0; padding < 2 && length > 0 && text[length - 1] == '='; ++padding)
        --length;

    if (length % 4 == 1)
        return {};

    std::vector<juce::uint8> bytes;
    bytes.reserve (length / 4 * 3 + 2);
    juce::uint32 bits = 0;
    int held = 0;

    for (size_t i = 0; i < length; ++i)
    {
        const auto six = sixBits[(juce::uint8) text[i]];

        if (six == 64)
            return {};

        bits = bits << 6 | six;
        held += 6;

        if (held >= 8)
        {
            held -= 8;
            bytes.push_back ((juce::uint8) (bits >> held));
        }
    }

    return bytes;
}
