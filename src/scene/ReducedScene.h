// Tolmar MSH Viewer - what a reduced frame draws while the view is turned: the scene simplified.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "DrawList.h"

#include <atomic>

// A copy of a draw list's triangles within a budget, placed, in one array: each object reduced in
// proportion to its triangles, or drawn as its box when its share is too small to keep a shape.
struct ReducedScene
{
    struct Vertex
    {
        float x, y, z, u, v;
    };

    // The indices of one object, in the list's order.
    struct Part
    {
        const MshObject* object = nullptr;
        size_t first = 0, count = 0;
    };

    const DrawList* source = nullptr;         // what it was made from: a frame of another list ignores it
    std::shared_ptr<const void> keepAlive;     // that list, held so that no other list takes its address
    std::vector<Vertex> vertices;
    std::vector<juce::uint32> indices;
    std::vector<Part> parts;

    size_t triangles() const noexcept       { return indices.size() / 3; }
    size_t bytes() const noexcept           { return vertices.size() * sizeof (Vertex) + indices.size() * sizeof (juce::uint32) + parts.size() * sizeof (Part); }
};

// The triangles a reduced frame may draw: what this machine's software GL draws in a fifteenth of a second.
constexpr size_t reducedTriangleBudget = 250'000;

// Whether a list has so many triangles that a simplified copy is worth its memory.
inline bool wantsReducedScene (const DrawList& list) noexcept    { return list.triangles > 2 * reducedTriangleBudget; }

// Every object as its box, twelve triangles: quick to make, shown until the simplified copy is ready.
ReducedScene makeBoxScene (const DrawList& list);

// Every object reduced to its share of budget triangles; objects whose share is under a box's reduced
// together with their neighbours; nothing when cancelled, which is looked at between objects.
std::shared_ptr<ReducedScene> makeReducedScene (const DrawList& list, size_t budget, const std::atomic<bool>& cancelled);

// Triangles simplified to about targetTriangles, as indices into the same vertices; empty when they
// cannot be (where no simplifier is built in).
std::vector<juce::uint32> simplifiedTriangles (const std::vector<ReducedScene::Vertex>& vertices, const std::vector<juce::uint32>& indices,
                                               size_t targetTriangles);
