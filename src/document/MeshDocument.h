// Tolmar MSH Viewer - one opened .msh file: its model, what it draws, the selection, the folder around it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshGeometry.h"

#include <memory>

// What the viewer works on, apart from any window. Each load reads into a fresh model, so whatever still
// holds the old one (a frame being drawn) keeps it whole until it lets go. What a load found is returned
// as values; showing it is the windows' part. At most one object is selected: its selected mark is set
// and every other one clear.
class MeshDocument final
{
public:
    MeshDocument() = default;

    struct LoadResult
    {
        bool loaded = false;
        juce::String error;                 // why not
        std::vector<MshWarning> warnings;   // every wrong end marker, in file order
    };

    // Reads the file into a fresh model. On failure the document is empty, with no file.
    LoadResult load (const juce::File& file);

    // Reads the file again; the object with the selected one's path of names, if there is one, is selected.
    LoadResult reload();

    // No file, an empty model.
    void close();

    bool isLoaded() const noexcept                          { return loaded; }
    const juce::File& getFile() const noexcept              { return file; }
    const std::shared_ptr<MshMesh>& getMesh() const noexcept { return mesh; }
    const MshTotals& getTotals() const noexcept             { return totals; }
    double getLoadMilliseconds() const noexcept             { return loadMilliseconds; }

    // The selection. select marks one object (nullptr: none); setMark follows a row of the tree that
    // was selected or deselected by itself.
    const MshObject* getSelected() const noexcept           { return selected; }
    void select (const MshObject* object);
    void setMark (const MshObject& object, bool isSelected);

    // The path of names from the root down to an object, and the object such a path leads to.
    juce::StringArray pathOf (const MshObject& object) const;
    const MshObject* find (const juce::StringArray& path) const;

    // The .msh file step places after (or, negative, before) this one among the .msh files of its folder
    // in name order (letter case and numbers as people sort them); none past either end.
    juce::File neighbour (int step) const;

private:
    LoadResult read (const juce::File& from);

    std::shared_ptr<MshMesh> mesh = std::make_shared<MshMesh>();
    juce::File file;
    bool loaded = false;
    MshTotals totals;
    double loadMilliseconds = 0;
    MshObject* selected = nullptr;

    JUCE_DECLARE_NON_COPYABLE (MeshDocument)
};
