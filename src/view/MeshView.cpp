// Tolmar MSH Viewer - the 3-D view: owns the mesh, loads files into it, draws it, turns it with the mouse.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshView.h"
#include "MeshDrawing.h"
#include "MeshPicking.h"
#include "ViewInfo.h"
#include "tools/PngFiles.h"

MeshView::MeshView (juce::TreeView* tree, const juce::String& initialFile)
    : treeView (tree)
{
    jassert (treeView != nullptr);
    treeView->setRootItem (&rootItem);
    treeView->setColour (juce::TreeView::backgroundColourId, juce::Colour (0xffadd8e6));

    // 24 depth bits at least: a format no GLX config can give makes JUCE crash; GLX picks the deepest.
    context.setPixelFormat (juce::OpenGLPixelFormat (8, 8, 24, 0));
    context.setRenderer (this);
    context.setComponentPaintingEnabled (true); // JUCE then holds the message lock for every frame
    context.setContinuousRepainting (false);    // frames on demand only
    context.attachTo (*this);

    // Beyond the load's own look: hidden until a key asks for them, and never in the way of the mouse.
    for (auto* caption : { &overlay, &notice })
    {
        caption->setInterceptsMouseClicks (false, false);
        addChildComponent (caption);
    }

    setWantsKeyboardFocus (true);

    // Painted with every repaint of the window, so it follows the selection; the frame time is the last one.
    overlay.describe = [this]
    {
        return overlayLines ({ currentFile.getFileName(), totals, loadMilliseconds, frameMilliseconds.load(), findSelected() }).joinIntoString ("\n");
    };

    if (initialFile.isNotEmpty())
        loadMesh (juce::File::getCurrentWorkingDirectory().getChildFile (initialFile));
}

MeshView::~MeshView()
{
    // Nothing may draw once the things it draws start to go.
    context.detach();

    // JUCE's tree still uses its root item when it is destroyed itself, so the rows leave it first.
    treeView->setRootItem (nullptr);
    objectRootItem.reset();
}

//==============================================================================
void MeshView::newOpenGLContextCreated()
{
    // The GL state is set up at the start of every frame (JUCE's own painting changes it after each one).
}

void MeshView::renderOpenGL()
{
    using namespace juce::gl;
    GLint viewport[4] = {};
    glGetIntegerv (GL_VIEWPORT, viewport);

    const auto started = juce::Time::getMillisecondCounterHiRes();
    renderFrame (camera, meshLoaded ? &mesh.root : nullptr, viewport[2], viewport[3], wireframe);
    frameMilliseconds = juce::Time::getMillisecondCounterHiRes() - started;

    if (pictureWanted)
    {
        // JUCE holds the message thread for this frame; the file is written once it lets go.
        pictureWanted = false;
        juce::MessageManager::callAsync ([safe = juce::Component::SafePointer<MeshView> (this), pixels = readFramePixels (viewport[2], viewport[3]),
                                          width = viewport[2], height = viewport[3]] () mutable
        {
            if (safe != nullptr)
                safe->writePicture (std::move (pixels), width, height);
        });
    }

    ++renderedFrames;
}

void MeshView::openGLContextClosing() {}

void MeshView::resized()
{
    overlay.setBounds (getLocalBounds().removeFromTop (90).removeFromLeft (juce::jmin (getWidth(), 420)));
    notice.setBounds (getLocalBounds().removeFromBottom (28));
    repaint();
}

void MeshView::Caption::paint (juce::Graphics& g)
{
    if (describe)
        text = describe();

    g.fillAll (juce::Colours::black.withAlpha (0.55f));
    g.setColour (juce::Colours::white);
    g.setFont (13.0f);
    g.drawFittedText (text, getLocalBounds().reduced (6, 4), juce::Justification::topLeft, 8);
}

//==============================================================================
void MeshView::mouseDown (const juce::MouseEvent& e)
{
    camera.buttonDown (e.mods.isLeftButtonDown(), e.mods.isRightButtonDown());
}

void MeshView::mouseDrag (const juce::MouseEvent& e)
{
    camera.drag (e.mods.isLeftButtonDown(), e.mods.isRightButtonDown(),
                 e.getDistanceFromDragStartX(), e.getDistanceFromDragStartY());
    repaint();
}

void MeshView::mouseUp (const juce::MouseEvent& e)
{
    // JUCE gives a release the buttons held before it, so the released one is among them.
    camera.buttonUp (e.mods.isLeftButtonDown(), e.mods.isRightButtonDown());

    // A left click that did not drag picks what is under it; the background picks nothing.
    if (e.mods.isLeftButtonDown() && ! e.mouseWasDraggedSinceMouseDown() && meshLoaded && ! loading)
        selectObject (pickObject (camera, mesh.root, e.position.x, e.position.y, getWidth(), getHeight()));
}

void MeshView::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    camera.wheel (ViewCamera::wheelIncrement (wheel.deltaY));
    repaint();
}

//==============================================================================
void MeshView::setTitle (const juce::String& title)
{
    auto* top = getTopLevelComponent();
    top->setName (title);

    // Loaded while the view is being built: the window gets the title once the view is in it.
    pendingTitle = top->isOnDesktop() ? juce::String() : title;
}

void MeshView::parentHierarchyChanged()
{
    auto* top = getTopLevelComponent();

    if (pendingTitle.isNotEmpty() && top != this && top->isOnDesktop())
    {
        top->setName (pendingTitle);
        pendingTitle = {};
    }
}

void MeshView::dropObjectRows()
{
    // Out of the tree first, so the tree never holds a deleted row, then gone with all its sub-rows.
    if (objectRootItem != nullptr)
    {
        treeView->setRootItem (&rootItem);
        objectRootItem.reset();
    }
}

bool MeshView::loadMesh (const juce::File& file)
{
    return read (file, false);
}

bool MeshView::reload()
{
    return currentFile != juce::File() && read (currentFile, true);
}

bool MeshView::read (const juce::File& file, bool reloading)
{
    // A box shown during a load keeps delivering events; a second load may not start inside the first.
    if (loading)
        return false;

    const juce::ScopedValueSetter<bool> busy (loading, true);
    const auto keptCamera = camera;
    juce::StringArray selectedPath;

    if (const auto* selected = findSelected())
        for (const auto* step : mshAncestry (mesh.root, *selected))
            selectedPath.add (step->name);

    meshLoaded = false;
    highlightedWithoutRow = nullptr;
    camera.resetForLoad();

    if (! file.existsAsFile())
    {
        // The model is cleared, so the rows that point into it go too: the tree shows "No Mesh Loaded".
        dropObjectRows();
        mesh.clear();
        currentFile = juce::File();
        repaint();
        return false;
    }

    dropObjectRows();
    const auto started = juce::Time::getMillisecondCounterHiRes();

    const auto loaded = mesh.loadFromFile (file, [] (const MshWarning&)
    {
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, warningTitle, warningMessage, "ok");
    });

    const auto applicationName = juce::JUCEApplicationBase::getInstance() != nullptr
                                   ? juce::JUCEApplicationBase::getInstance()->getApplicationName()
                                   : juce::String ("Tolmar MSH Viewer");

    if (! loaded)
    {
        currentFile = juce::File();
        setTitle (applicationName);
        treeView->setRootItem (&rootItem);
        repaint();
        return false;
    }

    loadMilliseconds = juce::Time::getMillisecondCounterHiRes() - started;
    totals = mshTotals (mesh.root, true);
    currentFile = file;
    meshLoaded = true;
    camera.placeFromHeader (mesh.headerWord (0), mesh.headerWord (18), mesh.headerWord (19));
    loadedCamera = camera;
    setTitle (applicationName + " - " + file.getFileName());

    objectRootItem = std::make_unique<ObjectTreeItem> (mesh.root);
    treeView->setRootItem (objectRootItem.get());

    if (reloading)
    {
        camera = keptCamera;
        selectObject (mshFindByNames (mesh.root, selectedPath));
        repaint();
        return true;
    }

    // Painted behind the box while it is open.
    repaint();
    juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::InfoIcon, informationTitle, informationMessage, "ok");
    return true;
}

//==============================================================================
MshObject* MeshView::findSelected()
{
    MshObject* found = nullptr;

    if (meshLoaded)
        mshForEachPlacedObject (mesh.root, true, { 0, 0, 0 }, [&found] (const MshObject& o, double, double, double)
        {
            if (o.selected && found == nullptr)
                found = const_cast<MshObject*> (&o);
        });

    return found;
}

void MeshView::selectObject (const MshObject* object)
{
    if (object == nullptr || objectRootItem == nullptr)
        return;

    if (highlightedWithoutRow != nullptr)
        highlightedWithoutRow->selected = false;

    highlightedWithoutRow = nullptr;
    const auto path = mshAncestry (mesh.root, *object);

    if (path.empty())
    {
        // A sibling of the root has no row: no row stays selected, the object alone is highlighted.
        treeView->clearSelectedItems();
        highlightedWithoutRow = const_cast<MshObject*> (object);
        highlightedWithoutRow->selected = true;
        repaint();
        return;
    }

    juce::TreeViewItem* row = objectRootItem.get();

    for (size_t depth = 1; depth < path.size(); ++depth)
    {
        row->setOpen (true);

        for (int i = 0; i < row->getNumSubItems(); ++i)
            if (auto* child = dynamic_cast<ObjectTreeItem*> (row->getSubItem (i)); child != nullptr && &child->getObject() == path[depth])
                row = child;
    }

    row->setSelected (true, true);
    treeView->scrollToKeepItemVisible (row);
    repaint();
}

void MeshView::frameSelection()
{
    if (! meshLoaded)
        return;

    // The selected object with its subtree, placed under its parent; else (or when it draws nothing)
    // everything drawn.
    auto box = totals.bounds;

    if (const auto* selected = findSelected())
        if (const auto base = mshParentPlacement (mesh.root, *selected))
            if (const auto own = mshTotals (*selected, false, *base).bounds; ! own.empty)
                box = own;

    if (box.empty)
        return;

    camera.frame (box.centre(), box.radius(), getHeight() > 0 ? (double) getWidth() / getHeight() : 1.0);
    repaint();
}

void MeshView::resetCamera()
{
    camera = meshLoaded ? loadedCamera : ViewCamera();
    repaint();
}

void MeshView::toggleWireframe()
{
    wireframe = ! wireframe;
    repaint();
}

void MeshView::toggleOverlay()
{
    overlay.setVisible (! overlay.isVisible());
    repaint();
}

void MeshView::zoomSteps (int notches)
{
    for (int i = 0; i < std::abs (notches); ++i)
        camera.wheel (notches > 0 ? ViewCamera::notch : -ViewCamera::notch);

    repaint();
}

void MeshView::savePicture()
{
    if (! meshLoaded)
        return;

    pictureWanted = true;
    repaint();
}

void MeshView::writePicture (std::vector<juce::uint8> pixels, int width, int height)
{
    // As on screen: opaque, whatever alpha blending left in the frame.
    for (size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 255;

    const auto target = nextPictureFile (currentFile);
    const auto written = writePngFile (target, pixels.data(), width, height, 4);
    showNotice (written ? "Saved " + target.getFullPathName() : "Could not write " + target.getFullPathName());
}

void MeshView::showNotice (const juce::String& text)
{
    notice.text = text;
    notice.setAlpha (1.0f);
    notice.setVisible (true);
    notice.repaint();
    repaint();

    // Fades by itself: shown for a while, then faded out over a second.
    juce::Timer::callAfterDelay (2500, [safe = juce::Component::SafePointer<Caption> (&notice), text]
    {
        if (safe != nullptr && safe->text == text)
            juce::Desktop::getInstance().getAnimator().fadeOut (safe, 1000);
    });
}
