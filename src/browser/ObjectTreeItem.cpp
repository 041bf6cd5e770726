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

ObjectTreeItem::ObjectTreeItem (MshObject& objectToShow) : object (objectToShow) {}

bool ObjectTreeItem::mightContainSubItems()
{
    return object.firstChild != nullptr;
}

juce::String ObjectTreeItem::getUniqueName() const
{
    return object.name;
}

void ObjectTreeItem::itemOpennessChanged (bool isNowOpen)
{
    // Rows for the children are made once, on first opening; closing keeps them (and their openness).
    if (! isNowOpen || getNumSubItems() > 0)
        return;

    for (auto* child = object.firstChild.get(); child != nullptr; child = child->nextSibling.get())
        addSubItem (new ObjectTreeItem (*child));
}

void ObjectTreeItem::paintItem (juce::Graphics& g, int width, int height)
{
    if (isSelected())
        g.fillAll (juce::Colour (selectedFillArgb));

    g.setColour (juce::Colours::black);
    g.setFont (12.0f);
    g.drawText (object.name, 0, 0, width, height, juce::Justification::centredLeft, true);
}

void ObjectTreeItem::itemClicked (const juce::MouseEvent& e)
{
    // The tree has already selected this row (a right-click too), so the object shows highlighted first.
    if (e.mods.isRightButtonDown())
        showFlagsMenu (object.flags, object.isHp);
}

void ObjectTreeItem::itemSelectionChanged (bool isNowSelected)
{
    object.selected = isNowSelected;

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
