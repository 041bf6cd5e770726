// Tolmar MSH Viewer - text laid over the 3-D view: the information overlay and the notices.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "Captions.h"

namespace
{
    constexpr float captionFontHeight = 13.0f;
    constexpr int marginX = 6, marginY = 4;
}

juce::Rectangle<int> captionAreaFor (const juce::String& text, juce::Rectangle<int> within)
{
    const juce::Font font (captionFontHeight);
    const auto lines = juce::StringArray::fromLines (text);
    float widest = 0;

    for (const auto& line : lines)
        widest = std::max (widest, font.getStringWidthFloat (line));

    const auto width = (int) std::ceil (widest) + 2 * marginX + 1; // the last pixel of a glyph may reach past its advance
    const auto height = (int) std::ceil (font.getHeight() * (float) lines.size()) + 2 * marginY;
    return within.withSize (std::min (width, within.getWidth()), std::min (height, within.getHeight()));
}

std::shared_ptr<const Caption> makeCaption (const juce::String& text, juce::Rectangle<int> area, float scale)
{
    if (area.isEmpty())
        return nullptr;

    const auto pixels = area.toFloat().transformedBy (juce::AffineTransform::scale (scale)).getSmallestIntegerContainer();
    juce::Image image (juce::Image::ARGB, pixels.getWidth(), pixels.getHeight(), true, juce::SoftwareImageType());
    {
        juce::Graphics g (image);
        g.addTransform (juce::AffineTransform::scale (scale));
        g.fillAll (juce::Colours::black.withAlpha (0.55f));
        g.setColour (juce::Colours::white);
        g.setFont (captionFontHeight);
        g.drawFittedText (text, area.withZeroOrigin().reduced (marginX, marginY), juce::Justification::topLeft, 8);
    }

    auto caption = std::make_shared<Caption>();
    caption->x = pixels.getX();
    caption->y = pixels.getY();
    caption->width = pixels.getWidth();
    caption->height = pixels.getHeight();
    caption->pixels.resize ((size_t) caption->width * (size_t) caption->height * 4);

    // GL draws pixels bottom row first.
    const juce::Image::BitmapData data (image, juce::Image::BitmapData::readOnly);
    const auto rowBytes = (size_t) caption->width * 4;

    for (int row = 0; row < caption->height; ++row)
        std::memcpy (caption->pixels.data() + (size_t) (caption->height - 1 - row) * rowBytes, data.getLinePointer (row), rowBytes);

    return caption;
}
