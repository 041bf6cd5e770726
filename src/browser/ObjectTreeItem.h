// Tolmar MSH Viewer - the rows of the object tree.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshModel.h"

#include <juce_gui_basics/juce_gui_basics.h>

// One row per object of the loaded mesh. Its children's rows are made the first time it is opened, in
// sibling order, and kept when it is closed. Selecting it marks the object for highlighting; a
// right-click opens the object's flags menu. It points into the model without owning it: the view takes
// rows out of the tree and deletes them before it clears the model.
class ObjectTreeItem final : public juce::TreeViewItem
{
public:
    explicit ObjectTreeItem (MshObject& objectToShow);

    MshObject& getObject() const noexcept   { return object; }

    bool mightContainSubItems() override;
    juce::String getUniqueName() const override;
    void itemOpennessChanged (bool isNowOpen) override;
    void paintItem (juce::Graphics& g, int width, int height) override;
    void itemClicked (const juce::MouseEvent& e) override;
    void itemSelectionChanged (bool isNowSelected) override;

    // Beige at alpha 0.3 (0.3 × 255 = 76.5, taken to 77 = 0x4d).
    static constexpr juce::uint32 selectedFillArgb = 0x4df5f5dc;

private:
    MshObject& object;

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
