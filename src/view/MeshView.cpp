// Tolmar MSH Viewer - the 3-D view: owns the mesh, loads files into it, draws it, turns it with the mouse.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshView.h"
#include "MeshDrawing.h"

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

    renderFrame (camera, meshLoaded ? &mesh.root : nullptr, viewport[2], viewport[3]);
    ++renderedFrames;
}

void MeshView::openGLContextClosing() {}

void MeshView::resized()
{
    repaint();
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
}

void MeshView::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    camera.wheel (wheel.deltaY);
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
    // A box shown during a load keeps delivering events; a second load may not start inside the first.
    if (loading)
        return false;

    const juce::ScopedValueSetter<bool> busy (loading, true);

    meshLoaded = false;
    camera.resetForLoad();

    if (! file.existsAsFile())
    {
        // The model is cleared, so the rows that point into it go too: the tree shows "No Mesh Loaded".
        dropObjectRows();
        mesh.clear();
        repaint();
        return false;
    }

    dropObjectRows();

    const auto loaded = mesh.loadFromFile (file, [] (const MshWarning&)
    {
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, warningTitle, warningMessage, "ok");
    });

    const auto applicationName = juce::JUCEApplicationBase::getInstance() != nullptr
                                   ? juce::JUCEApplicationBase::getInstance()->getApplicationName()
                                   : juce::String ("Tolmar MSH Viewer");

    if (! loaded)
    {
        setTitle (applicationName);
        treeView->setRootItem (&rootItem);
        repaint();
        return false;
    }

    meshLoaded = true;
    camera.placeFromHeader (mesh.headerWord (0), mesh.headerWord (18), mesh.headerWord (19));
    setTitle (applicationName + " - " + file.getFileName());

    objectRootItem = std::make_unique<ObjectTreeItem> (mesh.root);
    treeView->setRootItem (objectRootItem.get());

    // Painted behind the box while it is open.
    repaint();
    juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::InfoIcon, informationTitle, informationMessage, "ok");
    return true;
}
