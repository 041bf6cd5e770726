// Tolmar MSH Viewer - the rows of the object tree.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ObjectTreeItem.h"
#include "FlagsMenu.h"

namespace
{
    // Repaints a window and everything in it. JUCE 7 draws a new OpenGL frame when the GL view itself is
    // repainted; a repaint of the window around it alone was seen to leave the view showing the old
    // selection, so every component in the window is asked.
    void repaintWindowAndContents (juce::Component& window)
    {
        std::vector<juce::Component*> pending { &window };

        while (! pending.empty())
        {
            auto* component = pending.back();
            pending.pop_back();
            component->repaint();

            for (auto* child : component->getChildren())
                pending.push_back (child);
        }
    }
}

namespace
{
    void addRows (juce::TreeViewItem& parent, const ObjectTreeItem::Entries& entries, size_t begin, size_t end,
                  const ObjectTreeItem::SelectionListener* onSelectionChange, bool flat, size_t mostRows);

    void paintRow (juce::Graphics& g, int width, int height, bool selected, const juce::String& text)
    {
        if (selected)
            g.fillAll (juce::Colour (ObjectTreeItem::selectedFillArgb));

        g.setColour (selected ? juce::Colours::white : juce::Colours::black);
        g.setFont (12.0f);
        g.drawText (text, 0, 0, width, height, juce::Justification::centredLeft, true);
    }

    // A run of the rows under a row, numbered from 1 among them.
    class ObjectRunItem final : public juce::TreeViewItem
    {
    public:
        ObjectRunItem (ObjectTreeItem::Entries all, size_t first, size_t last, const ObjectTreeItem::SelectionListener* listener, bool flatRows)
            : entries (std::move (all)), begin (first), end (last), onSelectionChange (listener), flat (flatRows) {}

        bool holds (size_t index) const noexcept   { return index >= begin && index < end; }

        bool mightContainSubItems() override        { return true; }
        juce::String getUniqueName() const override { return "objects " + juce::String (begin + 1) + "-" + juce::String (end); }

        // One run open at a time under a row: JUCE's tree walks every open row above the visible ones on
        // each scroll, so the rows it walks stay a few thousand.
        void itemOpennessChanged (bool isNowOpen) override
        {
            if (! isNowOpen)
                return;

            if (getNumSubItems() == 0)
                addRows (*this, entries, begin, end, onSelectionChange, flat, ObjectTreeItem::runBranching);

            if (auto* parent = getParentItem())
                for (int i = 0; i < parent->getNumSubItems(); ++i)
                    if (auto* other = parent->getSubItem (i); other != this)
                        other->setOpen (false);
        }

        void paintItem (juce::Graphics& g, int width, int height) override
        {
            paintRow (g, width, height, isSelected(), getUniqueName());
        }

    private:
        const ObjectTreeItem::Entries entries;
        const size_t begin, end;
        const ObjectTreeItem::SelectionListener* const onSelectionChange;
        const bool flat;
    };

    // Rows for entries [begin, end): one each, or, when there are more than mostRows, runs of them: runs
    // of 100, of 100 runs of 100, ..., as few levels as keep every row's rows to 100.
    void addRows (juce::TreeViewItem& parent, const ObjectTreeItem::Entries& entries, size_t begin, size_t end,
                  const ObjectTreeItem::SelectionListener* onSelectionChange, bool flat, size_t mostRows)
    {
        size_t run = 1;

        if (end - begin > mostRows)
            for (run = ObjectTreeItem::runBranching; (end - begin + run - 1) / run > ObjectTreeItem::runBranching; run *= ObjectTreeItem::runBranching) {}

        for (auto first = begin; first < end; first += std::min (run, end - first))
        {
            if (run == 1)
                parent.addSubItem (new ObjectTreeItem (*(*entries)[first].object, onSelectionChange, (*entries)[first].level, flat));
            else
                parent.addSubItem (new ObjectRunItem (entries, first, first + std::min (run, end - first), onSelectionChange, flat));
        }
    }
}

ObjectTreeItem::ObjectTreeItem (const MshObject& objectToShow, const ObjectTreeItem::SelectionListener* listener, int levelOfRow, bool flatRow)
    : object (objectToShow), onSelectionChange (listener), level (levelOfRow), flat (flatRow) {}

bool ObjectTreeItem::mightContainSubItems()
{
    return ! flat && object.firstChild != nullptr;
}

juce::String ObjectTreeItem::getUniqueName() const
{
    return object.name;
}

void ObjectTreeItem::itemOpennessChanged (bool isNowOpen)
{
    // Rows for the children are made once, on first opening; closing keeps them (and their openness).
    if (! isNowOpen || getNumSubItems() > 0 || flat)
        return;

    auto list = std::make_shared<std::vector<Entry>>();

    if (! listsDescendantsFlat())
    {
        for (auto* child = object.firstChild.get(); child != nullptr; child = child->nextSibling.get())
            list->push_back ({ child, level + 1 });
    }
    else
    {
        // Depth first, children before the next sibling, without recursion: any depth lists.
        std::vector<Entry> pending;
        if (object.firstChild != nullptr)
            pending.push_back ({ object.firstChild.get(), level + 1 });

        while (! pending.empty())
        {
            const auto entry = pending.back();
            pending.pop_back();
            list->push_back (entry);

            if (entry.object->nextSibling != nullptr)
                pending.push_back ({ entry.object->nextSibling.get(), entry.level });
            if (entry.object->firstChild != nullptr)
                pending.push_back ({ entry.object->firstChild.get(), entry.level + 1 });
        }
    }

    entries = std::move (list);
    addRows (*this, entries, 0, entries->size(), onSelectionChange, listsDescendantsFlat(), mostRowsUnderOne);
}

ObjectTreeItem* ObjectTreeItem::openToRowOf (const MshObject& target)
{
    if (! mightContainSubItems())
        return nullptr;

    setOpen (true);
    size_t index = 0;

    while (index < entries->size() && (*entries)[index].object != &target)
        ++index;

    for (juce::TreeViewItem* row = this; row != nullptr;)
    {
        auto* parent = row;
        row = nullptr;

        for (int i = 0; i < parent->getNumSubItems() && row == nullptr; ++i)
        {
            if (auto* objectRow = dynamic_cast<ObjectTreeItem*> (parent->getSubItem (i)); objectRow != nullptr && &objectRow->object == &target)
                return objectRow;

            if (auto* run = dynamic_cast<ObjectRunItem*> (parent->getSubItem (i)); run != nullptr && run->holds (index))
            {
                run->setOpen (true);
                row = run;
            }
        }
    }

    return nullptr;
}

void ObjectTreeItem::paintItem (juce::Graphics& g, int width, int height)
{
    paintRow (g, width, height, isSelected(), flat ? "[" + juce::String (level) + "] " + object.name : object.name);
}

void ObjectTreeItem::itemClicked (const juce::MouseEvent& e)
{
    // Whatever the window system did with the keys while a box was open, the first click gives them to the tree.
    if (auto* tree = getOwnerView())
    {
        if (auto* peer = tree->getPeer(); peer != nullptr && ! peer->isFocused())
            peer->grabFocus();

        tree->grabKeyboardFocus();
    }

    // The tree has already selected this row (a right-click too), so the object shows highlighted first.
    if (e.mods.isRightButtonDown())
        showFlagsMenu (object.flags, object.isHp);
}

void ObjectTreeItem::itemSelectionChanged (bool isNowSelected)
{
    if (onSelectionChange != nullptr && *onSelectionChange)
        (*onSelectionChange) (object, isNowSelected);

    if (auto* tree = getOwnerView())
        if (auto* window = tree->getTopLevelComponent())
            repaintWindowAndContents (*window);
}

void MeshRootItem::paintItem (juce::Graphics& g, int width, int height)
{
    // Never a selection fill, even while the tree has this row selected.
    g.setColour (juce::Colours::black);
    g.setFont (10.0f);
    g.drawText ("No Mesh Loaded", 0, 0, width, height, juce::Justification::centredLeft, true);
}
