// Tolmar MSH Viewer - the rows of the object tree.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshModel.h"

#include <juce_gui_basics/juce_gui_basics.h>

// One row per object of the loaded mesh. Its children's rows are made the first time it is opened, in
// sibling order, and kept when it is closed. Selecting or deselecting it tells onSelectionChange; a
// right-click opens the object's flags menu. It points into the model without owning it: its owner takes
// rows out of the tree and deletes them before the model goes.
//
// So that the tree keeps up with any file (JUCE's tree walks every open row above the visible ones, and
// every level above each of them, on each scroll), two kinds of rows stand in where there would be too
// many:
// - a row with more than mostRowsUnderOne rows under it gets at most 100 rows for runs of them instead
//   ("objects 1-100", "objects 101-200", ..., or "objects 1-10000", ... which open into runs of 100),
//   which open like any row, but one at a time, and hold at most 100 rows each;
// - the row of an object at level deepestLevel (the root's being 1) lists all its descendants flat,
//   in drawing order, each named with its level ("[33] name"), as rows that open no further.
class ObjectTreeItem final : public juce::TreeViewItem
{
public:
    // Told of every object whose row was selected (true) or deselected (false).
    using SelectionListener = std::function<void (const MshObject&, bool isNowSelected)>;

    explicit ObjectTreeItem (const MshObject& objectToShow, const SelectionListener* onSelectionChange = nullptr, int level = 1, bool flat = false);

    const MshObject& getObject() const noexcept   { return object; }
    int getLevel() const noexcept           { return level; }

    // Opens this row and the run rows on the way to the row of target (a child, or, where this row
    // lists its descendants flat, any descendant) and returns that row; nullptr when there is none.
    ObjectTreeItem* openToRowOf (const MshObject& target);
    bool listsDescendantsFlat() const noexcept  { return level == deepestLevel; }

    bool mightContainSubItems() override;
    juce::String getUniqueName() const override;
    void itemOpennessChanged (bool isNowOpen) override;
    void paintItem (juce::Graphics& g, int width, int height) override;
    void itemClicked (const juce::MouseEvent& e) override;
    void itemSelectionChanged (bool isNowSelected) override;

    // Beige at alpha 0.3 (0.3 × 255 = 76.5, taken to 77 = 0x4d).
    static constexpr juce::uint32 selectedFillArgb = 0xff2864a0; // over 4:1 against the tree, white text over 6:1
    static constexpr size_t mostRowsUnderOne = 2000, runBranching = 100;
    static constexpr int deepestLevel = 32;

    // What the rows under a row stand for: objects with their levels.
    struct Entry
    {
        const MshObject* object;
        int level;
    };
    using Entries = std::shared_ptr<const std::vector<Entry>>;

private:
    const MshObject& object;
    const SelectionListener* const onSelectionChange;
    const int level;
    const bool flat;
    Entries entries; // made on first opening

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ObjectTreeItem)
};

// The placeholder root "No Mesh Loaded", shown while no mesh is loaded.
class MeshRootItem final : public juce::TreeViewItem
{
public:
    MeshRootItem() = default;

    bool mightContainSubItems() override                 { return false; }
    juce::String getUniqueName() const override         { return "__Empty Mesh__"; }
    void paintItem (juce::Graphics& g, int width, int height) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MeshRootItem)
};
