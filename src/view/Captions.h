// Tolmar MSH Viewer - text laid over the 3-D view: the information overlay and the notices.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "SceneRenderer.h"

#include <juce_graphics/juce_graphics.h>

// White text in a dark box filling area (in the view's own units), drawn into the frame's pixels at the
// display's scale, so it is as sharp as the rest and sits where it does at any scale; nullptr for an
// empty area.
// The text, white on half-dark black, drawn at the display's scale for the area of the view it covers.
std::shared_ptr<const Caption> makeCaption (const juce::String& text, juce::Rectangle<int> area, float scale);

// The area in the top left corner of within that the text's lines need, margins included, and no more.
juce::Rectangle<int> captionAreaFor (const juce::String& text, juce::Rectangle<int> within);
