// Tolmar MSH Viewer - where meshoptimizer is not built in (Windows): nothing is simplified, and reduced
// frames draw boxes.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ReducedScene.h"

std::vector<juce::uint32> simplifiedTriangles (const std::vector<ReducedScene::Vertex>&, const std::vector<juce::uint32>&, size_t)
{
    return {};
}
