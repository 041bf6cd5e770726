// Tolmar MSH Viewer - mshinfo's reports on one loaded (or not loaded) file.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshGeometry.h"

#include <ostream>

struct MshInfoLoad
{
    juce::String file;                  // as given on the command line
    bool loaded = false;
    juce::String error;                 // why not, when not loaded
    size_t warningCount = 0;            // boxes the viewer would show
    std::vector<MshWarning> warnings;   // the first maxKeptWarnings of them
    std::vector<MshObjectBox> boxes;    // every object's, in file order, made while it was read

    static constexpr size_t maxKeptWarnings = 100;

    // Loads the file into mesh and records what happened.
    void load (MshMesh& mesh, const juce::File& path);

    // 0 loaded without warnings, 1 loaded with warnings, 2 not loaded.
    int exitStatus() const noexcept;
};

// A readable report: header, list counts, warnings and the object tree indented by depth.
void writeTextReport (std::ostream& out, const MshMesh& mesh, const MshInfoLoad& load);

// One JSON object, streamed while the object tree is walked (no second copy of the tree).
void writeJsonReport (std::ostream& out, const MshMesh& mesh, const MshInfoLoad& load);

// Calls visit (object, depth, parentIndex, index) for every object in file order: an object, its whole
// subtree, then its next sibling; the root's siblings included at depth 0. No recursion.
void forEachObjectInFileOrder (const MshObject& root,
                               const std::function<void (const MshObject&, int depth, juce::int64 parent, juce::int64 index)>& visit);
