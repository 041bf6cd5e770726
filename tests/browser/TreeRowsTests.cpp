// Tolmar MSH Viewer - object rows and the placeholder row in a real tree in a window.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "browser/ObjectTreeItem.h"
#include "gui/GuiTestSupport.h"
#include "tools/SampleMeshes.h"

namespace
{
    const juce::Colour treeBackground (0xffadd8e6);
    const juce::Colour selectedFill = treeBackground.overlaidWith (juce::Colour (ObjectTreeItem::selectedFillArgb));

    // A tree in a window, its root row given.
    struct TreeFixture
    {
        explicit TreeFixture (juce::TreeViewItem& root)
        {
            tree.setColour (juce::TreeView::backgroundColourId, treeBackground);
            tree.setRootItem (&root);
            pump (50);
        }

        ~TreeFixture() { tree.setRootItem (nullptr); }

        // The row's own area (its position covers its open sub-rows too).
        static juce::Rectangle<int> row (juce::TreeViewItem& item) { return item.getItemPosition (true).withHeight (item.getItemHeight()); }
        void clickRow (juce::TreeViewItem& item, bool right = false) { click (tree, row (item).getCentre(), right); }

        // Fill and text pixels of a row as painted.
        std::pair<int, int> paintedRow (juce::TreeViewItem& item)
        {
            const auto image = tree.createComponentSnapshot (tree.getLocalBounds());
            const auto area = row (item);
            return { countPixelsNear (image, area.withTrimmedLeft (area.getWidth() / 2), selectedFill, 2), countBlackTextPixels (image, area) };
        }

        juce::TreeView tree;
        TestWindow window { tree, 300, 300 };
    };

    juce::String names (juce::TreeViewItem& item)
    {
        juce::StringArray result;
        for (int i = 0; i < item.getNumSubItems(); ++i)
            result.add (item.getSubItem (i)->getUniqueName());
        return result.joinIntoString (" ");
    }
}

TEST (TreeRows, ChildRowsAreMadeOnFirstOpeningInSiblingOrderAndKeptWhenClosed)
{
    MshMesh mesh; // root { A { A1 }, B, C } and a sibling of the root
    mesh.root.name = "root";
    addChild (addChild (mesh.root, "A", 0x310), "A1");
    addChild (mesh.root, "B");
    addChild (mesh.root, "C");
    mesh.root.nextSibling = std::make_unique<MshObject>();
    ObjectTreeItem rootRow (mesh.root);
    TreeFixture f (rootRow);
    EXPECT_TRUE (rootRow.mightContainSubItems() && ! rootRow.isOpen());
    EXPECT_EQ (0, rootRow.getNumSubItems()) << "no rows before the first opening";

    rootRow.setOpen (true);
    EXPECT_EQ (juce::String ("A B C"), names (rootRow));
    EXPECT_EQ (4, f.tree.getNumRowsInTree()) << "the root's sibling gets no row";

    // Closing and opening again, a row of one child as well as one of three, gives the same rows.
    auto* a = rootRow.getSubItem (0);
    for (int i = 0; i < 2; ++i)
    {
        a->setOpen (false);
        a->setOpen (true);
        rootRow.setOpen (false);
        rootRow.setOpen (true);
    }
    EXPECT_EQ (a, rootRow.getSubItem (0));
    EXPECT_EQ (juce::String ("A B C"), names (rootRow));
    EXPECT_EQ (juce::String ("A1"), names (*a));
    EXPECT_TRUE (a->isOpen());
    EXPECT_EQ (5, f.tree.getNumRowsInTree());

    // A leaf offers nothing to open, and a click where its open/close button would be makes no rows.
    auto& b = *rootRow.getSubItem (1);
    EXPECT_FALSE (b.mightContainSubItems());
    pump (50);
    click (f.tree, TreeFixture::row (b).getCentre().withX (TreeFixture::row (b).getX() - 8));
    EXPECT_EQ (0, b.getNumSubItems());

    // Selection marks the object; a right-click selects before the flags menu opens, and changes nothing.
    auto& c = *dynamic_cast<ObjectTreeItem*> (rootRow.getSubItem (2));
    auto& objectA = dynamic_cast<ObjectTreeItem*> (a)->getObject();
    ModalWatcher watcher;
    f.clickRow (c);
    EXPECT_TRUE (c.getObject().selected);
    EXPECT_EQ (0, watcher.menus) << "a left click opens no menu";

    bool selectedWhileMenuOpen = false, previousCleared = false;
    watcher.onMenu = [&] { selectedWhileMenuOpen = objectA.selected; previousCleared = ! c.getObject().selected; };
    f.clickRow (*a, true); // returns once the menu has been dismissed
    EXPECT_EQ (1, watcher.menus);
    EXPECT_TRUE (selectedWhileMenuOpen && previousCleared);
    EXPECT_EQ (0x310u, objectA.flags);

    // Painted: the selected row filled beige under black text, the others not filled.
    const auto [fill, text] = f.paintedRow (*a);
    EXPECT_EQ (a->getItemHeight() * (TreeFixture::row (*a).getWidth() - TreeFixture::row (*a).getWidth() / 2), fill);
    EXPECT_GT (text, 5);
    EXPECT_EQ (0, f.paintedRow (c).first);
}

TEST (TreeRows, ThePlaceholderRowOpensNothingAndNeverShowsASelection)
{
    MeshRootItem placeholder;
    TreeFixture f (placeholder);
    EXPECT_EQ (juce::String ("__Empty Mesh__"), placeholder.getUniqueName());
    EXPECT_FALSE (placeholder.mightContainSubItems());

    ModalWatcher watcher;
    f.clickRow (placeholder, true);
    f.clickRow (placeholder);
    f.clickRow (placeholder); // a double-click
    EXPECT_EQ (0, watcher.menus);
    EXPECT_EQ (0, placeholder.getNumSubItems());
    EXPECT_TRUE (placeholder.isSelected());
    const auto [fill, text] = f.paintedRow (placeholder);
    EXPECT_EQ (0, fill) << "selected, yet not filled";
    EXPECT_GT (text, 20) << "\"No Mesh Loaded\" in black";
}
