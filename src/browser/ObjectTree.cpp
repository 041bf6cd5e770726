// Tolmar MSH Viewer - the tree view's rows for a model: a placeholder while there is none, object rows after.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ObjectTree.h"
#include "msh/MshGeometry.h"

ObjectTree::ObjectTree (juce::TreeView& treeView, ObjectTreeItem::SelectionListener listener)
    : tree (treeView), onSelection (std::move (listener))
{
    tree.setRootItem (&placeholder);
}

ObjectTree::~ObjectTree()
{
    // JUCE's tree still uses its root item when it is destroyed itself, so the rows leave it first.
    tree.setRootItem (nullptr);
    rootRow.reset();
}

void ObjectTree::show (const MshObject& root)
{
    clear();
    rootRow = std::make_unique<ObjectTreeItem> (root, &onSelection);
    tree.setRootItem (rootRow.get());
}

void ObjectTree::clear()
{
    tree.setRootItem (&placeholder);
    rootRow.reset();
}

bool ObjectTree::selectRowOf (const MshObject& object)
{
    const auto path = rootRow != nullptr ? mshAncestry (rootRow->getObject(), object) : std::vector<const MshObject*>();

    if (path.empty())
    {
        tree.clearSelectedItems();
        return false;
    }

    auto* row = rootRow.get();

    // Down the rows level by level, until a row that lists everything below it flat.
    for (size_t depth = 1; depth < path.size() && row != nullptr; ++depth)
    {
        if (row->listsDescendantsFlat())
        {
            row = row->openToRowOf (*path.back());
            break;
        }

        row = row->openToRowOf (*path[depth]);
    }

    if (row != nullptr)
    {
        row->setSelected (true, true);
        tree.scrollToKeepItemVisible (row);

        // Rows just opened make the tree taller only once JUCE has laid them out: scrolled again then.
        juce::MessageManager::callAsync ([safe = juce::Component::SafePointer<juce::TreeView> (&tree)]
        {
            if (auto* shown = safe.getComponent(); shown != nullptr && shown->getSelectedItem (0) != nullptr)
                shown->scrollToKeepItemVisible (shown->getSelectedItem (0));
        });
    }

    return true;
}
