// Tolmar MSH Viewer - what the view tells about itself: the information overlay and where pictures go.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshGeometry.h"

// What the information overlay shows.
struct OverlayFacts
{
    juce::String fileName;
    MshTotals totals;
    double loadMilliseconds = 0, frameMilliseconds = 0;
    const MshObject* selected = nullptr;   // with its own counts when given
};

juce::StringArray overlayLines (const OverlayFacts& facts);

// name-1.png, name-2.png, ... beside the mesh file: the first that does not exist yet.
juce::File nextPictureFile (const juce::File& meshFile);

// Writes a frame's RGBA pixels, made opaque as on screen, as the next picture beside the mesh file; what
// the notice says of it: where it went, or why not.
juce::String savePictureBeside (const juce::File& meshFile, std::vector<juce::uint8> rgba, int width, int height);

// What F frames: the selected object with its subtree, placed under its parent; else (or when that
// draws nothing) everything drawn.
MshBounds framedBounds (const MshObject& root, const MshObject* selected, const MshBounds& everything);
