// Tolmar MSH Viewer - what a frame draws, prepared once per load: no GL, no GUI.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshModel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <unordered_set>
#include <vector>

// One object as the frame draws it: where its vertices go and its drawable triangles, three indices each.
struct DrawItem
{
    const MshObject* object = nullptr;   // compared with the highlighted object, never read by the frame
    std::array<double, 3> placement {};
    const MshVertex* vertices = nullptr;
    const juce::uint16* indices = nullptr;
    size_t triangles = 0;
    bool inOrder = false;                // indices run 0, 1, 2, ...: drawn as plain arrays, which is faster
    bool hull = false;                   // flagged hidden in the game: a collision hull
};

// Every object of a hierarchy in drawing order (the root, its descendants, its siblings with theirs),
// each with the triangles the view draws: the object's own index list where all its triangles are
// drawable, else a copy without those that are not. It points into the model, which must neither change
// nor go while the list is used; keepAlive may hold the model for it.
struct DrawList
{
    std::vector<DrawItem> items;
    std::vector<std::vector<juce::uint16>> filteredIndices;
    size_t triangles = 0;
    std::shared_ptr<const void> keepAlive;
};

// Objects the user has hidden from the view.
using HiddenObjects = std::unordered_set<const MshObject*>;

DrawList makeDrawList (const MshObject& root, const HiddenObjects& hidden = {});

// Every step-th triangle of each object (its first always) stands for it while the view is turned: step
// is 1 (everything) unless the last full frame took longer than slowMs, then as many as make a frame of
// about targetMs.
size_t reducedStep (double lastFullFrameMs, double slowMs = 100.0, double targetMs = 50.0) noexcept;

// The triangles of item that a frame with the given step draws, their indices appended to out.
void appendEveryStepTriangle (const DrawItem& item, size_t step, std::vector<juce::uint16>& out);

// When the view draws what: full frames at rest, reduced ones while the user turns a mesh whose full
// frame is slow, and a full frame given up once it has run long and something newer is asked for.
struct FramePacing
{
    static constexpr double slowMs = 100.0, targetMs = 50.0;
    double lastFullMs = 0;               // measured, or estimated from a frame given up
    size_t learntStep = 0;               // from the last reduced frame's time; 0 until there is one

    size_t stepFor (bool interacting) const noexcept
    {
        if (! interacting || ! (lastFullMs > slowMs))
            return 1;

        return learntStep > 0 ? learntStep : reducedStep (lastFullMs, slowMs, targetMs);
    }

    // A reduced frame is short by design and always finishes, so turning shows something.
    bool shouldGiveUp (size_t step, bool newerAsked, double elapsedMs) const noexcept
    {
        return step == 1 && newerAsked && elapsedMs > slowMs;
    }

    void fullFrameFinished (double ms) noexcept     { lastFullMs = ms; }
    void fullFrameGivenUp (double elapsedMs, size_t drawn, size_t total) noexcept
    {
        lastFullMs = std::max (lastFullMs, elapsedMs * (double) total / (double) std::max<size_t> (drawn, 1));
    }

    // Fewer triangles cost more each when they are moved into place one by one: the step follows what
    // the last reduced frame took.
    void reducedFrameFinished (size_t step, double ms) noexcept
    {
        learntStep = (size_t) std::clamp (std::ceil ((double) step * ms / targetMs), 2.0, 1.0e9);
    }
};
