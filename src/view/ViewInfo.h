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
