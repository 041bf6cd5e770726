// Tolmar MSH Viewer - a polygon of another program's file cut into triangles.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <vector>

// Triangles (three corner numbers each, in the polygon's turning sense) that cover a flat polygon given by
// its corners in order: a fan from the first corner where the polygon is convex, else ears clipped in the
// polygon's own plane, so a concave polygon keeps its area and every triangle faces the polygon's way.
std::vector<juce::uint32> polygonTriangles (const std::vector<std::array<float, 3>>& corners);
