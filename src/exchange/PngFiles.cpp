// Tolmar MSH Viewer - PNG pictures from pixel rows, through stb_image_write.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "PngFiles.h"
#include "msh/SafeFiles.h"

#include <stb/stb_image_write.h>

std::vector<juce::uint8> encodePng (const juce::uint8* pixels, int width, int height, int channels)
{
    std::vector<juce::uint8> png;
    const auto append = [] (void* context, void* data, int size)
    {
        auto& out = *static_cast<std::vector<juce::uint8>*> (context);
        out.insert (out.end(), static_cast<juce::uint8*> (data), static_cast<juce::uint8*> (data) + size);
    };

    if (width <= 0 || height <= 0 || stbi_write_png_to_func (append, &png, width, height, channels, pixels, width * channels) == 0)
        png.clear();

    return png;
}

Expected<void> writePngFile (const juce::File& target, const juce::uint8* pixels, int width, int height, int channels)
{
    const auto png = encodePng (pixels, width, height, channels);

    if (png.empty())
        return Failure { Failure::Kind::tooBig, "cannot encode a picture of " + juce::String (width) + " x " + juce::String (height) + " pixels" };

    return writeFileAtomically (target, png.data(), png.size());
}
