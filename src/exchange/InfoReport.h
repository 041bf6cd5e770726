// Tolmar MSH Viewer - mshinfo's reports on one loaded (or not loaded) file.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/Expected.h"
#include "msh/MshGeometry.h"

#include <ostream>

struct MshInfoLoad
{
    juce::String file;                  // as given on the command line
    Expected<void> read;                // whether it was read, and why not
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
