// Tolmar MSH Viewer - what the viewer does with a file: loads it, and decides what that shows the user.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ViewerController.h"
#include "msh/Version.h"

const juce::String ViewerController::informationTitle = juce::String ("Information v ") + mshVersion;

ViewerController::ViewerController (MeshView& meshView, juce::TreeView& tree)
    : view (meshView),
      treeView (tree),
      rows (tree, [this] (const MshObject& object, bool isNowSelected) { rowSelected (object, isNowSelected); })
{
    treeView.setColour (juce::TreeView::backgroundColourId, juce::Colour (0xffadd8e6));
    view.addComponentListener (this);
    view.setListener (this);
}

ViewerController::~ViewerController()
{
    view.setListener (nullptr);
    view.removeComponentListener (this);
}

//==============================================================================
bool ViewerController::load (const juce::File& file)
{
    return read (file, false);
}

void ViewerController::open (const juce::File& file)
{
    if (! load (file))
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, errorTitle, errorMessage, "ok");
}

void ViewerController::reload()
{
    if (document.getFile() != juce::File() && ! read (document.getFile(), true))
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, errorTitle, errorMessage, "ok");
}

void ViewerController::openNeighbour (int step)
{
    if (const auto next = document.neighbour (step); next.existsAsFile())
        open (next);
}

bool ViewerController::read (const juce::File& file, bool reloading)
{
    // A box shown during a load keeps delivering events; a second load may not start inside the first.
    if (loading)
        return false;

    const juce::ScopedValueSetter<bool> busy (loading, true);
    const auto selectedPath = reloading && selected != nullptr ? document.pathOf (*selected) : juce::StringArray();

    // The rows and the frame let go of the old model before it goes.
    setSelected (nullptr);
    rows.clear();
    view.showMesh (nullptr, reloading);

    if (! file.existsAsFile())
    {
        document.close(); // the tree shows "No Mesh Loaded"
        updateOverlay();
        return false;
    }

    const auto loaded = reloading ? document.reload() : document.load (file);
    const auto warnings = loaded ? loaded->warnings.size() : 0;

    for (size_t i = 0; i < warnings; ++i)
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, warningTitle, warningMessage, "ok");

    auto* application = juce::JUCEApplicationBase::getInstance();
    const auto applicationName = application != nullptr ? application->getApplicationName() : juce::String ("Tolmar MSH Viewer");

    if (! loaded)
    {
        view.showMesh (nullptr); // the camera as for no mesh at all
        setTitle (applicationName);
        updateOverlay();
        return false;
    }

    const auto& mesh = document.getMesh();
    view.showMesh (mesh, reloading);
    setTitle (applicationName + " - " + file.getFileName());
    rows.show (mesh->root);
    updateOverlay();

    // Painted behind the box while it is open.
    if (reloading)
        select (document.find (selectedPath));
    else
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::InfoIcon, informationTitle, informationMessage, "ok");

    return true;
}

//==============================================================================
void ViewerController::select (const MshObject* object)
{
    if (object == nullptr || ! rows.hasRows())
        return;

    // A sibling of the root has no row: no row stays selected, the object alone is highlighted.
    if (! rows.selectRowOf (*object))
        setSelected (object);
}

void ViewerController::rowSelected (const MshObject& object, bool isNowSelected)
{
    if (isNowSelected)
        setSelected (&object);
    else if (&object == selected)
        setSelected (nullptr);
}

void ViewerController::setSelected (const MshObject* object)
{
    selected = object;
    view.setHighlighted (object);
    updateOverlay();
}

void ViewerController::objectPicked (const MshObject* object)
{
    if (! loading)
        select (object);
}

void ViewerController::updateOverlay()
{
    view.setOverlayFacts ({ document.getFile().getFileName(), document.getTotals(), document.getLoadMilliseconds(), 0, selected });
}

void ViewerController::frameSelection()
{
    if (document.isLoaded())
        view.frame (framedBounds (document.getMesh()->root, selected, document.getTotals().bounds));
}

//==============================================================================
void ViewerController::savePicture()
{
    // Named after the file shown now, whatever comes before the picture.
    if (document.isLoaded())
        view.takePicture (document.getFile());
}

void ViewerController::pictureTaken (std::vector<juce::uint8> rgba, int width, int height, const juce::File& meshFile)
{
    view.showNotice (savePictureBeside (meshFile, std::move (rgba), width, height));
}

//==============================================================================
void ViewerController::setTitle (const juce::String& title)
{
    auto* top = view.getTopLevelComponent();
    top->setName (title);

    // Loaded while the view is being built: the window gets the title once the view is in it.
    pendingTitle = top->isOnDesktop() ? juce::String() : title;
}

void ViewerController::componentParentHierarchyChanged (juce::Component&)
{
    auto* top = view.getTopLevelComponent();

    if (pendingTitle.isNotEmpty() && top != &view && top->isOnDesktop())
    {
        top->setName (pendingTitle);
        pendingTitle = {};
    }
}
