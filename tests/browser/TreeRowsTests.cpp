// Tolmar MSH Viewer - object rows and the placeholder row in a real tree in a window.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "browser/ObjectTreeItem.h"
#include "gui/GuiTestSupport.h"
#include "tools/SampleMeshes.h"

namespace
{
    const juce::Colour treeBackground (0xffadd8e6);
    const juce::Colour selectedFill = treeBackground.overlaidWith (juce::Colour (ObjectTreeItem::selectedFillArgb));

    // root { A { A1 }, B, C } and a sibling of the root, S, shown in a tree in a window.
    struct TreeFixture
    {
        TreeFixture()
        {
            mesh.root.name = "root";
            addChild (addChild (mesh.root, "A", 0x310), "A1");
            addChild (mesh.root, "B");
            addChild (mesh.root, "C");
            mesh.root.nextSibling = std::make_unique<MshObject>();
            tree.setColour (juce::TreeView::backgroundColourId, treeBackground);
            tree.setRootItem (&rootRow);
        }

        ~TreeFixture() { tree.setRootItem (nullptr); }

        ObjectTreeItem& row (int index) { return *dynamic_cast<ObjectTreeItem*> (rootRow.getSubItem (index)); }
        void clickRow (juce::TreeViewItem& item, bool right = false) { click (tree, item.getItemPosition (true).getCentre(), right); }

        MshMesh mesh;
        ObjectTreeItem rootRow { mesh.root };
        juce::TreeView tree;
        TestWindow window { tree, 300, 300 };
    };
}

TEST (TreeRows, ChildRowsAreMadeOnFirstOpeningInSiblingOrderAndKeptWhenClosed)
{
    TreeFixture f;
    EXPECT_TRUE (f.rootRow.mightContainSubItems());
    EXPECT_FALSE (f.rootRow.isOpen());
    EXPECT_EQ (0, f.rootRow.getNumSubItems()) << "no rows before the first opening";

    f.rootRow.setOpen (true);
    ASSERT_EQ (3, f.rootRow.getNumSubItems());
    EXPECT_EQ (juce::String ("A"), f.row (0).getUniqueName());
    EXPECT_EQ (juce::String ("B"), f.row (1).getUniqueName());
    EXPECT_EQ (juce::String ("C"), f.row (2).getUniqueName());
    EXPECT_EQ (4, f.tree.getNumRowsInTree()) << "the root's sibling gets no row";

    auto* a = &f.row (0);
    a->setOpen (true);
    f.rootRow.setOpen (false);
    EXPECT_EQ (3, f.rootRow.getNumSubItems());
    f.rootRow.setOpen (true);
    EXPECT_EQ (a, &f.row (0)) << "the same rows again";
    EXPECT_TRUE (a->isOpen());
    EXPECT_EQ (5, f.tree.getNumRowsInTree());

    // A leaf offers nothing to open, and a click where its open/close button would be makes no rows.
    auto& b = f.row (1);
    EXPECT_FALSE (b.mightContainSubItems());
    pump (50);
    click (f.tree, b.getItemPosition (true).getCentre().withX (b.getItemPosition (true).getX() - 8));
    EXPECT_EQ (0, b.getNumSubItems());
}

TEST (TreeRows, SelectionMarksTheObjectAndARightClickSelectsBeforeTheFlagsMenuOpens)
{
    TreeFixture f;
    f.rootRow.setOpen (true);
    pump (50);
    auto& a = f.row (0);
    auto& c = f.row (2);
    ModalWatcher watcher;

    f.clickRow (c);
    EXPECT_TRUE (c.getObject().selected);
    EXPECT_EQ (0, watcher.menus) << "a left click opens no menu";

    bool selectedWhileMenuOpen = false, previousCleared = false;
    watcher.onMenu = [&] { selectedWhileMenuOpen = a.getObject().selected; previousCleared = ! c.getObject().selected; };
    f.clickRow (a, true); // returns once the menu has been dismissed
    EXPECT_EQ (1, watcher.menus);
    EXPECT_TRUE (selectedWhileMenuOpen);
    EXPECT_TRUE (previousCleared);
    EXPECT_EQ (0x310u, a.getObject().flags) << "the menu changes nothing";

    // Painted: the selected row filled beige under black text, the others not filled.
    const auto image = f.tree.createComponentSnapshot (f.tree.getLocalBounds());
    const auto selectedRow = a.getItemPosition (true), plainRow = c.getItemPosition (true);
    const auto rightHalf = selectedRow.withTrimmedLeft (selectedRow.getWidth() / 2); // no text there
    EXPECT_EQ (rightHalf.getWidth() * rightHalf.getHeight(), countPixelsNear (image, rightHalf, selectedFill, 2));
    EXPECT_EQ (0, countPixelsNear (image, plainRow, selectedFill, 2));
    EXPECT_GT (countBlackTextPixels (image, selectedRow), 5);
    EXPECT_GT (countBlackTextPixels (image, plainRow), 5);
}

TEST (TreeRows, ThePlaceholderRowOpensNothingAndNeverShowsASelection)
{
    MeshRootItem placeholder;
    juce::TreeView tree;
    tree.setColour (juce::TreeView::backgroundColourId, treeBackground);
    tree.setRootItem (&placeholder);
    TestWindow window (tree, 300, 200);
    pump (50);
    EXPECT_EQ (juce::String ("__Empty Mesh__"), placeholder.getUniqueName());
    EXPECT_FALSE (placeholder.mightContainSubItems());

    ModalWatcher watcher;
    const auto row = placeholder.getItemPosition (true);
    click (tree, row.getCentre(), true);
    click (tree, row.getCentre());
    click (tree, row.getCentre()); // a double-click
    EXPECT_EQ (0, watcher.menus);
    EXPECT_EQ (0, placeholder.getNumSubItems());
    EXPECT_TRUE (placeholder.isSelected());

    const auto image = tree.createComponentSnapshot (tree.getLocalBounds());
    EXPECT_EQ (0, countPixelsNear (image, row, selectedFill, 2)) << "selected, yet not filled";
    EXPECT_GT (countBlackTextPixels (image, row), 20) << "\"No Mesh Loaded\" in black";
    tree.setRootItem (nullptr);
}
