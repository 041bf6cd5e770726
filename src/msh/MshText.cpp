// Tolmar MSH Viewer - 8-bit text of .msh files.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MshText.h"

juce::String mshStringFromLatin1 (const juce::uint8* bytes, size_t size)
{
    if (size == 0)
        return {};

    // juce::String holds UTF-8: ASCII goes in as it is, bytes 0x80-0xFF take two bytes each.
    size_t high = 0;

    for (size_t i = 0; i < size; ++i)
        high += bytes[i] >> 7;

    if (high == 0)
    {
        const auto* begin = reinterpret_cast<const char*> (bytes);
        return juce::String (juce::CharPointer_UTF8 (begin), juce::CharPointer_UTF8 (begin + size));
    }

    std::string utf8;
    utf8.reserve (size + high);

    for (size_t i = 0; i < size; ++i)
    {
        const auto b = bytes[i];

        if (b < 0x80)
        {
            utf8.push_back ((char) b);
        }
        else
        {
            utf8.push_back ((char) (0xC0 | (b >> 6)));
            utf8.push_back ((char) (0x80 | (b & 0x3F)));
        }
    }

    return juce::String (juce::CharPointer_UTF8 (utf8.data()), juce::CharPointer_UTF8 (utf8.data() + utf8.size()));
}

std::string mshLatin1FromString (const juce::String& text)
{
    std::string bytes;
    bytes.reserve ((size_t) text.length());

    for (auto p = text.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();
        bytes.push_back (c <= 0xFF ? (char) (juce::uint8) c : '?');
    }

    return bytes;
}
