// Tolmar MSH Viewer - the tree view's rows for a model: a placeholder while there is none, object rows after.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "ObjectTreeItem.h"

// Owns the rows it puts in a tree view it does not own, and takes them out before they go.
class ObjectTree final
{
public:
    ObjectTree (juce::TreeView& tree, ObjectTreeItem::SelectionListener onSelection);
    ~ObjectTree();

    // A closed row for root (which must outlive the rows, or until clear is called).
    void show (const MshObject& root);

    // The placeholder "No Mesh Loaded" row: out of the tree first, so the tree never holds a deleted row,
    // then the rows go with all their sub-rows.
    void clear();

    bool hasRows() const noexcept   { return rootRow != nullptr; }

    // Selects the row of an object of the shown hierarchy as a click on it would, opening the rows above
    // it; an object with no row (a sibling of the root) leaves no row selected. False in that case.
    bool selectRowOf (const MshObject& object);

private:
    juce::TreeView& tree;
    const ObjectTreeItem::SelectionListener onSelection;
    MeshRootItem placeholder;
    std::unique_ptr<ObjectTreeItem> rootRow;

    JUCE_DECLARE_NON_COPYABLE (ObjectTree)
};
