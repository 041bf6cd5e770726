// Tolmar MSH Viewer - one opened .msh file: its model, what it draws, the folder around it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/Expected.h"
#include "msh/MshGeometry.h"

#include <memory>

// What the viewer works on, apart from any window. Each load reads into a fresh model, so whatever still
// holds the old one (a frame being drawn) keeps it whole until it lets go. What a load found is returned
// as values; showing it is the windows' part.
class MeshDocument final
{
public:
    MeshDocument() = default;

    struct Loaded
    {
        std::vector<MshWarning> warnings;   // every wrong end marker, in file order
    };

    // Reads the file into a fresh model. On failure the model is empty, and the file is still the one
    // asked for: reload tries it again and neighbour steps from its place.
    Expected<Loaded> load (const juce::File& file);

    // Reads the current file again, as load does, except that a failure keeps the model it had.
    Expected<Loaded> reload();

    // No file, an empty model.
    void close();

    bool isLoaded() const noexcept                          { return isOpen; }
    const juce::File& getFile() const noexcept              { return file; } // whether or not it loaded
    const std::shared_ptr<MshMesh>& getMesh() const noexcept { return mesh; }
    const MshTotals& getTotals() const noexcept             { return totals; }
    double getLoadMilliseconds() const noexcept             { return loadMilliseconds; }

    // The path of names from the root down to an object, and the object such a path leads to.
    juce::StringArray pathOf (const MshObject& object) const;
    const MshObject* find (const juce::StringArray& path) const;

    // The .msh file after (direction 1) or before (-1) this one's place in its folder, in name order
    // (letter case and numbers as people sort them), whether or not this one is still there; the names
    // passed over because they cannot be opened (dangling links, folders) with it. No file past either end.
    struct Step
    {
        juce::File file;
        juce::StringArray skipped;
    };

    Step neighbour (int direction) const;

private:
    Expected<Loaded> read (juce::File from, bool keepOnFailure); // a copy: from may be the file that close() clears

    std::shared_ptr<MshMesh> mesh = std::make_shared<MshMesh>();
    juce::File file;
    bool isOpen = false;
    MshTotals totals;
    double loadMilliseconds = 0;

    JUCE_DECLARE_NON_COPYABLE (MeshDocument)
};
