// Tolmar MSH Viewer - what the viewer does with a file: loads it, and decides what that shows the user.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ViewerController.h"
#include "msh/Version.h"
#include "msh/WarningText.h"

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
Expected<void> ViewerController::load (const juce::File& file)
{
    return read (file, false);
}

void ViewerController::open (const juce::File& file)
{
    if (const auto loaded = load (file); ! loaded)
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, errorTitle, errorText (loaded.failure()), "ok");
}

Expected<void> ViewerController::reload (bool quiet)
{
    const juce::ScopedValueSetter<bool> noBoxes (quietly, quiet);
    const auto loaded = read (document.getFile(), true);

    if (! loaded && ! quiet && document.getFile() != juce::File())
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, errorTitle, errorText (loaded.failure()), "ok");

    return loaded;
}

void ViewerController::openNeighbour (int direction)
{
    if (loading || document.getFile() == juce::File())
        return;

    const auto step = document.neighbour (direction);
    const auto passed = step.skipped.isEmpty() ? juce::String()
                                               : "passed over what cannot be opened: " + step.skipped.joinIntoString (", ") + "\n";

    if (step.file == juce::File())
    {
        view.showNotice (passed + (direction > 0 ? "last file in the folder" : "first file in the folder"));
        return;
    }

    if (passed.isNotEmpty())
        view.showNotice (passed.trimEnd());

    open (step.file);
}

void ViewerController::setWatching (bool shouldWatch)
{
    if (shouldWatch)
    {
        watch.markRead (document.getFile());
        startTimer (50);
    }
    else
    {
        stopTimer();
    }
}

void ViewerController::timerCallback()
{
    // Not while a box of a load is open: the reload waits until it is closed.
    if (loading || juce::Component::getCurrentlyModalComponent() != nullptr || document.getFile() == juce::File())
        return;

    // A writer still busy gives a file that fails to read: the title says why, and the next change is
    // read again, with no box to close in between.
    if (watch.isChangedAndSettled (document.getFile(), juce::Time::getMillisecondCounterHiRes()))
        (void) reload (true);
}

Expected<void> ViewerController::read (const juce::File& file, bool reloading)
{
    // A box shown during a load keeps delivering events; a second load may not start inside the first.
    if (loading)
        return Failure { Failure::Kind::conflict, "another file is being loaded" };

    if (file == juce::File())
        return Failure { Failure::Kind::notFound, "no file has been loaded" };

    const juce::ScopedValueSetter<bool> busy (loading, true);
    const auto keepsOnFailure = reloading && document.isLoaded();
    const auto selectedPath = reloading && selected != nullptr ? document.pathOf (*selected) : juce::StringArray();
    const auto held = document.getMesh(); // the rows point into it until they are cleared

    // A load lets go of the old model before it reads; a reload keeps it shown until the new one is read.
    if (! keepsOnFailure)
    {
        setSelected (nullptr);
        rows.clear();
        view.showMesh (nullptr, reloading);
    }

    watch.markRead (file);
    const auto loaded = reloading ? document.reload() : document.load (file);
    const auto name = file.getFileName();

    if (! loaded)
    {
        if (keepsOnFailure)
        {
            setTitle (applicationName() + " - " + name + " (not reloaded: " + loaded.message() + ")");
        }
        else
        {
            view.showMesh (nullptr); // the camera as for no mesh at all
            updateOverlay();

            // A path that is no file leaves the title as it was.
            if (const auto kind = loaded.failure().kind; kind != Failure::Kind::notFound && kind != Failure::Kind::notRegular)
                setTitle (applicationName());
        }

        return Failure { loaded.failure().kind, name + ": " + loaded.message() };
    }

    setSelected (nullptr);
    rows.clear();
    const auto& mesh = document.getMesh();
    view.showMesh (mesh, keepsOnFailure); // a retry after a failed load places the camera anew
    setTitle (applicationName() + " - " + name);
    rows.show (mesh->root);
    updateOverlay();

    // Painted behind the boxes while they are open, under the new file's title.
    if (! quietly)
        showWarnings (loaded->warnings);

    if (reloading)
    {
        select (document.find (selectedPath));
        view.showNotice (loaded->warnings.empty() ? juce::String ("reloaded")
                                                  : "reloaded, " + juce::String ((juce::int64) loaded->warnings.size()) + (loaded->warnings.size() == 1 ? " warning: " : " warnings: ")
                                                        + mshWarningText (loaded->warnings.front()));
    }
    else
    {
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::InfoIcon, informationTitle, informationMessage, "ok");
    }

    return {};
}

void ViewerController::showWarnings (const std::vector<MshWarning>& warnings)
{
    if (warnings.empty())
        return;

    // One box for the load, one line a warning, as many as a screen holds.
    constexpr size_t shownAtMost = 20;
    auto text = juce::String (warningMessage) + "\n\n" + document.getFile().getFileName() + ":";

    for (size_t i = 0; i < std::min (warnings.size(), shownAtMost); ++i)
        text << "\n" << mshWarningText (warnings[i]);

    if (warnings.size() > shownAtMost)
        text << "\n(" << juce::String ((juce::int64) (warnings.size() - shownAtMost)) << " more warnings)";

    juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, warningTitle, text, "ok");
}

juce::String ViewerController::applicationName() const
{
    auto* application = juce::JUCEApplicationBase::getInstance();
    return application != nullptr ? application->getApplicationName() : juce::String ("Tolmar MSH Viewer");
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

void ViewerController::hideSelected()
{
    if (selected == nullptr)
    {
        view.showNotice ("select an object to hide it");
        return;
    }

    auto hidden = view.getHidden();
    const auto before = hidden.size();
    mshForEachObject (*selected, false, [&hidden] (const MshObject& object, int, juce::int64, juce::int64) { hidden.insert (&object); });
    const auto added = (juce::int64) (hidden.size() - before);
    view.setHidden (std::move (hidden));
    view.showNotice ("hidden: \"" + selected->name + "\"" + (added > 1 ? " and " + juce::String (added - 1) + (added == 2 ? " object below it" : " objects below it") : juce::String())
                     + " (Shift+X shows everything)");
}

void ViewerController::showEverything()
{
    view.setHidden ({});
    view.showNotice ("everything shown");
}

void ViewerController::toggleStyle (bool DrawStyle::*part, const juce::String& name)
{
    auto style = view.getStyle();
    style.*part = ! (style.*part);
    view.setStyle (style);
    view.showNotice (name + (style.*part ? ": on" : ": off"));
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
