// Tolmar MSH Viewer - text laid over the 3-D view: the information overlay and the notices.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "Captions.h"

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
        g.setFont (13.0f);
        g.drawFittedText (text, area.withZeroOrigin().reduced (6, 4), juce::Justification::topLeft, 8);
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
