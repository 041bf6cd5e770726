// Tolmar MSH Viewer - object rows and the placeholder row in a real tree in a window.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "browser/ObjectTreeItem.h"
#include "gui/GuiTestSupport.h"
#include "tools/SampleMeshes.h"

namespace
{
    const juce::Colour treeBackground (0xffadd8e6);

    // root { A { A1 }, B, C } and a sibling of the root, S.
    void buildTree (MshMesh& mesh)
    {
        mesh.clear();
        mesh.root.name = "root";
        auto& a = addChild (mesh.root, "A", 0x310);
        addChild (a, "A1");
        addChild (mesh.root, "B");
        addChild (mesh.root, "C");
        mesh.root.nextSibling = std::make_unique<MshObject>();
        mesh.root.nextSibling->name = "S";
    }

    struct TreeFixture
    {
        TreeFixture()
        {
            buildTree (mesh);
            tree.setColour (juce::TreeView::backgroundColourId, treeBackground);
            tree.setRootItem (&rootRow);
        }

        ~TreeFixture()
        {
            tree.setRootItem (nullptr);
        }

        ObjectTreeItem* row (ObjectTreeItem& parent, int index)
        {
            return dynamic_cast<ObjectTreeItem*> (parent.getSubItem (index));
        }

        juce::Point<int> rowCentre (juce::TreeViewItem& item)
        {
            return item.getItemPosition (true).getCentre();
        }

        MshMesh mesh;
        ObjectTreeItem rootRow { mesh.root };
        juce::TreeView tree;
        TestWindow window { tree, 300, 300 };
    };

    juce::Colour over (juce::Colour top, juce::Colour bottom)
    {
        return bottom.overlaidWith (top);
    }
}

TEST (TreeRows, ChildRowsAreMadeOnFirstOpeningInSiblingOrderAndKept)
{
    TreeFixture f;
    auto& root = f.rootRow;

    EXPECT_TRUE (root.mightContainSubItems());
    EXPECT_FALSE (root.isOpen());
    EXPECT_EQ (0, root.getNumSubItems()) << "no rows before the first opening";
    EXPECT_EQ (1, f.tree.getNumRowsInTree());

    root.setOpen (true);
    ASSERT_EQ (3, root.getNumSubItems());
    EXPECT_EQ (juce::String ("A"), root.getSubItem (0)->getUniqueName());
    EXPECT_EQ (juce::String ("B"), root.getSubItem (1)->getUniqueName());
    EXPECT_EQ (juce::String ("C"), root.getSubItem (2)->getUniqueName());
    EXPECT_EQ (4, f.tree.getNumRowsInTree()) << "the root's sibling S gets no row";

    auto* a = f.row (root, 0);
    a->setOpen (true);
    ASSERT_EQ (1, a->getNumSubItems());
    EXPECT_EQ (&f.mesh.root.firstChild->firstChild->name, &f.row (*a, 0)->getObject().name);

    // Closing keeps the rows; opening again shows the same ones with A still open.
    root.setOpen (false);
    EXPECT_EQ (3, root.getNumSubItems());
    EXPECT_EQ (1, f.tree.getNumRowsInTree());
    root.setOpen (true);
    EXPECT_EQ (a, f.row (root, 0));
    EXPECT_TRUE (a->isOpen());
    EXPECT_EQ (5, f.tree.getNumRowsInTree());

    // Leaves offer nothing to open; a click where the open/close button would be makes no rows.
    auto* b = f.row (root, 1);
    EXPECT_FALSE (b->mightContainSubItems());
    pump (50);
    click (f.tree, f.rowCentre (*b).withX (b->getItemPosition (true).getX() - 8));
    EXPECT_EQ (0, b->getNumSubItems());
}

TEST (TreeRows, SelectingARowMarksItsObjectAndClearsThePreviousOne)
{
    TreeFixture f;
    f.rootRow.setOpen (true);
    pump (50);
    auto* a = f.row (f.rootRow, 0);
    auto* b = f.row (f.rootRow, 1);

    click (f.tree, f.rowCentre (*a));
    EXPECT_TRUE (a->isSelected());
    EXPECT_TRUE (a->getObject().selected);

    click (f.tree, f.rowCentre (*b));
    EXPECT_TRUE (b->getObject().selected);
    EXPECT_FALSE (a->getObject().selected);
    EXPECT_FALSE (f.mesh.root.selected);

    // A left click opens no menu.
    ModalWatcher watcher;
    click (f.tree, f.rowCentre (*a));
    pump (100);
    EXPECT_EQ (0, watcher.menus);
}

TEST (TreeRows, RightClickSelectsTheRowThenOpensItsFlagsMenu)
{
    TreeFixture f;
    f.rootRow.setOpen (true);
    pump (50);
    auto* a = f.row (f.rootRow, 0);
    auto* c = f.row (f.rootRow, 2);

    click (f.tree, f.rowCentre (*c));
    ASSERT_TRUE (c->getObject().selected);

    ModalWatcher watcher;
    bool selectedWhileMenuOpen = false, othersClear = false;
    watcher.onMenu = [&] { selectedWhileMenuOpen = a->getObject().selected; othersClear = ! c->getObject().selected; };

    // The click handler returns only once the menu has been dismissed.
    click (f.tree, f.rowCentre (*a), true);
    EXPECT_EQ (1, watcher.menus);
    EXPECT_TRUE (selectedWhileMenuOpen);
    EXPECT_TRUE (othersClear);
    EXPECT_EQ (0x310u, a->getObject().flags) << "the menu changes nothing";
    EXPECT_EQ (3, f.rootRow.getNumSubItems());
}

TEST (TreeRows, PlaceholderRowOpensNothingAndNeverShowsASelection)
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
    const auto centre = placeholder.getItemPosition (true).getCentre();
    click (tree, centre, true);
    sendMouse (tree, centre, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier));
    sendMouse (tree, centre, juce::ModifierKeys());
    sendMouse (tree, centre, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier));
    sendMouse (tree, centre, juce::ModifierKeys());
    pump (100);
    EXPECT_EQ (0, watcher.menus);
    EXPECT_EQ (0, placeholder.getNumSubItems());
    EXPECT_TRUE (placeholder.isSelected());

    // Selected, yet the row shows the tree's background behind black text.
    const auto row = placeholder.getItemPosition (true);
    const auto image = tree.createComponentSnapshot (tree.getLocalBounds());
    EXPECT_EQ (0, countPixelsNear (image, row, over (juce::Colour (ObjectTreeItem::selectedFillArgb), treeBackground), 2));
    EXPECT_GT (countPixelsNear (image, row, treeBackground, 0), row.getWidth() * row.getHeight() / 2);
    EXPECT_GT (countBlackTextPixels (image, row), 20);

    tree.setRootItem (nullptr);
}

TEST (TreeRows, SelectedRowsAreFilledBeigeUnderBlackText)
{
    TreeFixture f;
    f.rootRow.setOpen (true);
    pump (50);
    auto* b = f.row (f.rootRow, 1);
    auto* c = f.row (f.rootRow, 2);
    click (f.tree, f.rowCentre (*b));

    const auto image = f.tree.createComponentSnapshot (f.tree.getLocalBounds());
    const auto selectedFill = over (juce::Colour (ObjectTreeItem::selectedFillArgb), treeBackground);
    const auto selectedRow = b->getItemPosition (true);
    const auto plainRow = c->getItemPosition (true);

    // The right half of a row holds no text: only the fill (or the background).
    EXPECT_EQ (selectedRow.getWidth() / 2 * selectedRow.getHeight(),
               countPixelsNear (image, selectedRow.withTrimmedLeft (selectedRow.getWidth() / 2), selectedFill, 2));
    EXPECT_EQ (0, countPixelsNear (image, plainRow, selectedFill, 2));
    EXPECT_GT (countBlackTextPixels (image, selectedRow), 5);
    EXPECT_GT (countBlackTextPixels (image, plainRow), 5);
}
