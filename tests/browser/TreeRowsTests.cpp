// Tolmar MSH Viewer - object rows and the placeholder row in a real tree in a window.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "browser/ObjectTree.h"
#include "browser/ObjectTreeItem.h"
#include "app/GuiTestSupport.h"
#include "samples/SampleMeshes.h"

#include <set>

namespace
{
    // A row's own area (its position covers its open sub-rows too), and the selection fill and the text
    // pixels in it as the tree paints it on light blue.
    juce::Rectangle<int> area (juce::TreeViewItem& row) { return row.getItemPosition (true).withHeight (row.getItemHeight()); }

    // Pixels of the selection's fill in the right half of the row, and of the text's colour anywhere in it.
    std::pair<int, int> painted (juce::TreeView& tree, juce::TreeViewItem& row, juce::Colour text)
    {
        const auto image = tree.createComponentSnapshot (tree.getLocalBounds());
        const auto fill = juce::Colour (ObjectTreeItem::selectedFillArgb);
        const auto distance = [] (juce::Colour a, juce::Colour b) { return juce::jmax (std::abs (a.getRed() - b.getRed()), std::abs (a.getGreen() - b.getGreen()), std::abs (a.getBlue() - b.getBlue())); };
        return { countPixels (image, area (row).withTrimmedLeft (area (row).getWidth() / 2), [&] (juce::Colour c) { return distance (c, fill) <= 2; }),
                 countPixels (image, area (row), [&] (juce::Colour c) { return distance (c, text) <= 90; }) };
    }

    const MshObject* objectOf (juce::TreeViewItem* row) { return &dynamic_cast<ObjectTreeItem*> (row)->getObject(); }

    juce::String names (juce::TreeViewItem& item)
    {
        juce::String result;
        for (int i = 0; i < item.getNumSubItems(); ++i)
            result << (i > 0 ? " " : "") << item.getSubItem (i)->getUniqueName();
        return result;
    }
}

namespace
{
    // root { A { A1 }, B, C } and a sibling of the root, its rows in a tree in a window; what the rows told
    // as selected and not yet let go.
    struct ShownRows
    {
        MshMesh mesh;
        std::set<const MshObject*> marked;
        const ObjectTreeItem::SelectionListener listener = [this] (const MshObject& o, bool now) { if (now) marked.insert (&o); else marked.erase (&o); };
        std::unique_ptr<ObjectTreeItem> rootRow;
        juce::TreeView tree;
        juce::DocumentWindow window { "rows", juce::Colours::white, 0 };

        ShownRows()
        {
            mesh.root.name = "root";
            addChild (addChild (mesh.root, "A", 0x310), "A1");
            addChild (mesh.root, "B");
            addChild (mesh.root, "C");
            mesh.root.nextSibling = std::make_unique<MshObject>();
            rootRow = std::make_unique<ObjectTreeItem> (mesh.root, &listener);
            tree.setColour (juce::TreeView::backgroundColourId, juce::Colour (0xffadd8e6));
            tree.setRootItem (rootRow.get());
            window.setContentNonOwned (&tree, false);
            window.setBounds (40, 40, 300, 300);
            window.setVisible (true);
        }

        ~ShownRows()    { tree.setRootItem (nullptr); }

        ObjectTreeItem& row (int i)   { return *dynamic_cast<ObjectTreeItem*> (rootRow->getSubItem (i)); }
    };
}

TEST (TreeRows, RowsAreMadeOnFirstOpeningThenKept)
{
    ShownRows shown;
    auto& rootRow = *shown.rootRow;
    EXPECT_TRUE (rootRow.mightContainSubItems() && ! rootRow.isOpen() && rootRow.getNumSubItems() == 0);
    rootRow.setOpen (true);
    EXPECT_EQ (juce::String ("A B C"), names (rootRow));
    EXPECT_EQ (4, shown.tree.getNumRowsInTree()) << "the root's sibling gets no row";

    // Closing and opening again, a row of one child as well as one of three, gives the same rows.
    auto* a = rootRow.getSubItem (0);
    for (int i = 0; i < 2; ++i)
    {
        a->setOpen (false);
        a->setOpen (true);
        rootRow.setOpen (false);
        rootRow.setOpen (true);
    }
    EXPECT_TRUE (a == rootRow.getSubItem (0) && a->isOpen() && names (rootRow) == "A B C" && names (*a) == "A1");
    EXPECT_EQ (5, shown.tree.getNumRowsInTree());
}

TEST (TreeRows, ALeafOffersNothingToOpen)
{
    // A click where its open/close button would be makes no rows.
    ShownRows shown;
    shown.rootRow->setOpen (true);
    auto& b = shown.row (1);
    pump (50);
    click (shown.tree, area (b).getCentre().withX (area (b).getX() - 8));
    EXPECT_TRUE (! b.mightContainSubItems() && b.getNumSubItems() == 0);
}

TEST (TreeRows, ARightClickSelectsBeforeTheFlagsMenuOpensChangingNothing)
{
    ShownRows shown;
    shown.rootRow->setOpen (true);
    auto& a = shown.row (0);
    auto& c = shown.row (2);
    ModalWatcher watcher;
    pump (50);
    click (shown.tree, area (c).getCentre());
    EXPECT_TRUE (shown.marked == std::set<const MshObject*> { &c.getObject() } && watcher.menus == 0);
    bool selectedWhileMenuOpen = false, previousCleared = false;
    watcher.onMenu = [&] { selectedWhileMenuOpen = shown.marked.count (&a.getObject()) == 1; previousCleared = shown.marked.count (&c.getObject()) == 0; };
    click (shown.tree, area (a).getCentre(), true); // returns once the menu has been dismissed
    EXPECT_TRUE (watcher.menus == 1 && selectedWhileMenuOpen && previousCleared && a.getObject().flags == 0x310);
}

TEST (TreeRows, TheSelectedRowAloneIsFilledUnderWhiteText)
{
    ShownRows shown;
    shown.rootRow->setOpen (true);
    auto& a = shown.row (0);
    a.setSelected (true, true);
    pump (50);
    EXPECT_EQ (a.getItemHeight() * (area (a).getWidth() - area (a).getWidth() / 2), painted (shown.tree, a, juce::Colours::white).first);
    EXPECT_GT (painted (shown.tree, a, juce::Colours::white).second, 5);
    EXPECT_EQ (0, painted (shown.tree, shown.row (2), juce::Colours::white).first);
}

TEST (TreeRows, TheSelectedRowStandsOutFromTheTreeByThreeToOne)
{
    ShownRows shown;
    shown.rootRow->setOpen (true);
    shown.row (0).setSelected (true, true);
    pump (50);
    const auto image = shown.tree.createComponentSnapshot (shown.tree.getLocalBounds());
    const auto selected = image.getPixelAt (area (shown.row (0)).getRight() - 2, area (shown.row (0)).getCentreY());
    const auto tree = image.getPixelAt (area (shown.row (2)).getRight() - 2, area (shown.row (2)).getCentreY());
    EXPECT_GE (contrastRatio (selected, tree), 3.0) << selected.toString() << " on " << tree.toString();
}

TEST (TreeRows, ThePlaceholderStaysBare)
{
    ShownRows shown;
    MeshRootItem placeholder;
    ModalWatcher watcher;
    shown.tree.setRootItem (&placeholder);
    pump (50);
    for (const bool right : { true, false, false }) // a right-click, then a double-click
        click (shown.tree, area (placeholder).getCentre(), right);
    EXPECT_TRUE (watcher.menus == 0 && placeholder.getNumSubItems() == 0 && placeholder.isSelected());
    EXPECT_EQ (juce::String ("__Empty Mesh__"), placeholder.getUniqueName());
    EXPECT_EQ (0, painted (shown.tree, placeholder, juce::Colours::black).first);
    EXPECT_GT (painted (shown.tree, placeholder, juce::Colours::black).second, 20) << "\"No Mesh Loaded\" in black";
}

TEST (TreeRows, ManyChildrenOpenInRunsOneAtATime)
{
    MshMesh mesh;
    buildLongChain (mesh, 12000);
    const auto* last = mesh.root.firstChild.get();
    while (last->nextSibling != nullptr)
        last = last->nextSibling.get();
    juce::TreeView tree;
    auto rootRow = std::make_unique<ObjectTreeItem> (mesh.root);
    tree.setRootItem (rootRow.get());

    // 12,000: two runs, of 100 runs of 100 and of 20 runs of 100.
    rootRow->setOpen (true);
    EXPECT_EQ (juce::String ("objects 1-10000 objects 10001-12000"), names (*rootRow));
    rootRow->getSubItem (0)->setOpen (true);
    auto* run = rootRow->getSubItem (0)->getSubItem (1);
    run->setOpen (true);
    EXPECT_TRUE (run->getUniqueName() == "objects 101-200" && names (*run).startsWith ("sibling100 sibling101 ") && ! run->getSubItem (0)->mightContainSubItems());
    auto* row = rootRow->openToRowOf (*last);
    ASSERT_TRUE (row != nullptr && &row->getObject() == last && row->getParentItem()->getUniqueName() == "objects 11901-12000");
    EXPECT_TRUE (rootRow->getSubItem (1)->isOpen() && ! rootRow->getSubItem (0)->isOpen() && rootRow->getSubItem (1)->getNumSubItems() == 20) << "one run open at a time";
    EXPECT_TRUE (rootRow->openToRowOf (*objectOf (run->getSubItem (0))) == run->getSubItem (0) && rootRow->getSubItem (0)->isOpen() && ! rootRow->getSubItem (1)->isOpen());
    EXPECT_EQ (nullptr, rootRow->openToRowOf (mesh.root)) << "not a child";
    tree.setRootItem (nullptr);
}

namespace
{
    // A chain 40 deep, level 2 with two children at level 3.
    void buildDeepForked (MshMesh& mesh)
    {
        buildDeepChain (mesh, 40);
        addChild (*mesh.root.firstChild, "second");
    }
}

TEST (TreeRows, BelowTheDeepestLevelEverythingIsListedFlat)
{
    // Level 32 lists levels 33 to 40 flat, with their levels, and any of them is found.
    MshMesh mesh;
    buildDeepForked (mesh);
    juce::TreeView tree;
    auto rootRow = std::make_unique<ObjectTreeItem> (mesh.root);
    tree.setRootItem (rootRow.get());
    auto* row = rootRow.get();
    for (int level = 2; level <= 32 && row != nullptr; ++level)
        row = row->openToRowOf (*row->getObject().firstChild);
    ASSERT_TRUE (row != nullptr && row->listsDescendantsFlat());
    row->setOpen (true);
    EXPECT_EQ (juce::String ("level32 level33 level34 level35 level36 level37 level38 level39"), names (*row));
    EXPECT_EQ (row->openToRowOf (*objectOf (row->getSubItem (7))), row->getSubItem (7));
    EXPECT_TRUE (dynamic_cast<ObjectTreeItem*> (row->getSubItem (0))->getLevel() == 33 && dynamic_cast<ObjectTreeItem*> (row->getSubItem (7))->getLevel() == 40);
    EXPECT_FALSE (row->getSubItem (0)->mightContainSubItems());
    EXPECT_EQ (juce::String ("level2 second"), names (*rootRow->getSubItem (0)));
    tree.setRootItem (nullptr);
}

TEST (TreeRows, APickSelectsTheObjectsOwnRowAloneDeepOrNot)
{
    MshMesh mesh;
    buildDeepForked (mesh);
    juce::TreeView managed;
    ObjectTree rows (managed, [] (const MshObject&, bool) {});
    rows.show (mesh.root);
    const auto* deepest = &mesh.root;
    while (deepest->firstChild != nullptr)
        deepest = deepest->firstChild.get();
    for (const auto* wanted : { deepest, (const MshObject*) mesh.root.firstChild->firstChild->nextSibling.get() })
    {
        ASSERT_TRUE (rows.selectRowOf (*wanted));
        EXPECT_TRUE (managed.getNumSelectedItems() == 1 && objectOf (managed.getSelectedItem (0)) == wanted) << wanted->name;
    }
}

namespace
{
    struct Runs
    {
        int children;
        int rows;                   // the root row's own rows
        const char* first, *last;   // their names
    };

    void PrintTo (const Runs& c, std::ostream* out) { *out << c.children; }

    class RunLevels : public ::testing::TestWithParam<Runs> {};
}

TEST_P (RunLevels, AreAsFewAsKeepEveryRowsRowsToAHundred)
{
    MshMesh mesh;
    buildLongChain (mesh, GetParam().children);
    juce::TreeView tree;
    auto rootRow = std::make_unique<ObjectTreeItem> (mesh.root);
    tree.setRootItem (rootRow.get());
    rootRow->setOpen (true);
    ASSERT_EQ (GetParam().rows, rootRow->getNumSubItems());
    EXPECT_EQ (GetParam().rows < GetParam().children, rootRow->getSubItem (0)->mightContainSubItems()) << "a run offers to open";
    rootRow->getSubItem (1)->setSelected (true, true); // with nobody listening
    EXPECT_EQ (juce::String (GetParam().first), rootRow->getSubItem (0)->getUniqueName());
    EXPECT_EQ (juce::String (GetParam().last), rootRow->getSubItem (GetParam().rows - 1)->getUniqueName());
    tree.setRootItem (nullptr);
}

INSTANTIATE_TEST_SUITE_P (Boundaries, RunLevels, ::testing::Values (
    Runs { 2000, 2000, "sibling0", "sibling1999" },
    Runs { 2001, 21, "objects 1-100", "objects 2001-2001" },
    Runs { 10000, 100, "objects 1-100", "objects 9901-10000" },
    Runs { 10001, 2, "objects 1-10000", "objects 10001-10001" }),
    [] (const auto& c) { return std::to_string (c.param.children); });

TEST (TreeRows, APickedRowIsScrolledIntoView)
{
    MshMesh mesh;
    buildLongChain (mesh, 3000);
    juce::TreeView managed;
    juce::DocumentWindow window { "rows", juce::Colours::white, 0 };
    window.setContentNonOwned (&managed, false);
    window.setBounds (40, 40, 300, 300);
    window.setVisible (true);
    ObjectTree rows (managed, [] (const MshObject&, bool) {});
    rows.show (mesh.root);
    const auto* last = mesh.root.firstChild.get();
    while (last->nextSibling != nullptr)
        last = last->nextSibling.get();
    for (const auto* wanted : { last, (const MshObject*) mesh.root.firstChild.get() })
    {
        ASSERT_TRUE (rows.selectRowOf (*wanted));
        pump (50);
        const auto* row = managed.getSelectedItem (0);
        ASSERT_NE (nullptr, row);
        EXPECT_TRUE (managed.getViewport()->getViewArea().contains (row->getItemPosition (false))) << wanted->name;
    }
}
