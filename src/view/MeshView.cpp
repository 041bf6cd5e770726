// Tolmar MSH Viewer - the 3-D view: the document's mesh drawn, turned and moved with the mouse.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshView.h"
#include "Captions.h"
#include "MeshPicking.h"
#include "ViewInfo.h"

namespace
{
    // What the render thread reports, handed to the view on the message thread if it is still there.
    template <typename Report>
    void toView (juce::Component::SafePointer<MeshView> safe, Report&& report)
    {
        juce::MessageManager::callAsync ([safe, report = std::forward<Report> (report)] () mutable
        {
            if (auto* view = safe.getComponent())
                report (*view);
        });
    }
}

MeshView::MeshView (juce::TreeView* tree, const juce::String& initialFile)
    : renderer ({ [safe = safeThis] (double ms) { toView (safe, [ms] (MeshView& view) { view.frameDrawn (ms); }); },
                  [safe = safeThis] (std::vector<juce::uint8> pixels, int width, int height, const juce::File& meshFile)
                  {
                      toView (safe, [pixels = std::move (pixels), width, height, meshFile] (MeshView& view) mutable
                      {
                          view.showNotice (savePictureBeside (meshFile, std::move (pixels), width, height));
                      });
                  } }),
      treeView (tree),
      rows (*tree, [this] (const MshObject& object, bool isNowSelected)
      {
          document.setMark (object, isNowSelected);
          selectionChanged();
      })
{
    treeView->setColour (juce::TreeView::backgroundColourId, juce::Colour (0xffadd8e6));

    // 24 depth bits at least: a format no GLX config can give makes JUCE crash; GLX picks the deepest.
    context.setPixelFormat (juce::OpenGLPixelFormat (8, 8, 24, 0));
    context.setRenderer (this);
    context.setComponentPaintingEnabled (false); // frames then run without the message thread's lock
    context.setContinuousRepainting (false);     // frames on demand only
    context.attachTo (*this);

    setWantsKeyboardFocus (true);
    eventLoopWatch.check = [this] { eventLoop.check(); };
    eventLoopWatch.startTimer (100);

    if (initialFile.isNotEmpty())
        loadMesh (juce::File::getCurrentWorkingDirectory().getChildFile (initialFile));
}

MeshView::~MeshView()
{
    // A frame under way gives up, so the detach below does not wait for it; nothing may draw once the
    // things it draws start to go.
    renderer.close();
    context.detach();
}

//==============================================================================
void MeshView::newOpenGLContextCreated()
{
    renderer.contextCreated();
    eventLoop.contextCreated();
}

void MeshView::renderOpenGL()
{
    GLint viewport[4] = {};
    juce::gl::glGetIntegerv (juce::gl::GL_VIEWPORT, viewport);
    renderer.renderFrame (viewport[2], viewport[3]);
}

void MeshView::openGLContextClosing()
{
    // On the message thread, with the context current and no frame running.
    renderer.contextClosing();
    eventLoop.contextClosing();
}

void MeshView::publish (bool sceneChanged)
{
    renderer.publish ({ meshLoaded ? drawList : nullptr, camera, document.getSelected(), wireframe, interacting, 0,
                        overlayCaption, noticeCaption }, sceneChanged);
    repaint();
}

void MeshView::frameDrawn (double milliseconds)
{
    frameMilliseconds = milliseconds;

    // The overlay tells the new time from the next frame on, which copies the scene without drawing it.
    if (overlayShown && getOverlayText() != shownOverlayText)
        refreshCaptions();
}

void MeshView::resized()
{
    refreshCaptions();
}

juce::String MeshView::getOverlayText() const
{
    return overlayLines ({ document.getFile().getFileName(), document.getTotals(), document.getLoadMilliseconds(),
                           frameMilliseconds, document.getSelected() }).joinIntoString ("\n");
}

void MeshView::refreshCaptions (bool sceneChanged)
{
    // The frame's pixels are the view's times the display's scale.
    const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (getTopLevelComponent()->getScreenBounds());
    const auto scale = display != nullptr ? (float) display->scale : 1.0f;
    shownOverlayText = overlayShown ? getOverlayText() : juce::String();
    overlayCaption = overlayShown ? makeCaption (shownOverlayText, getLocalBounds().removeFromTop (90).removeFromLeft (juce::jmin (getWidth(), 420)), scale) : nullptr;
    noticeCaption = noticeText.isNotEmpty() ? makeCaption (noticeText, getLocalBounds().removeFromBottom (28), scale) : nullptr;
    publish (sceneChanged);
}

//==============================================================================
void MeshView::mouseDown (const juce::MouseEvent& e)
{
    camera.buttonDown (e.mods.isLeftButtonDown(), e.mods.isRightButtonDown());
}

void MeshView::mouseDrag (const juce::MouseEvent& e)
{
    camera.drag (e.mods.isLeftButtonDown(), e.mods.isRightButtonDown(), e.getDistanceFromDragStartX(), e.getDistanceFromDragStartY());
    startInteracting();
}

void MeshView::mouseUp (const juce::MouseEvent& e)
{
    // JUCE gives a release the buttons held before it, so the released one is among them.
    camera.buttonUp (e.mods.isLeftButtonDown(), e.mods.isRightButtonDown());

    // A left click that did not drag picks what is under it; the background picks nothing.
    if (e.mods.isLeftButtonDown() && ! e.mouseWasDraggedSinceMouseDown() && meshLoaded && ! loading)
        selectObject (pickObject (camera, getMesh().root, e.position.x, e.position.y, getWidth(), getHeight()));

    if (interacting)
        timerCallback(); // the drag is over: the full picture
}

void MeshView::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    camera.wheel (ViewCamera::wheelIncrement (wheel.deltaY));
    startInteracting();
}

bool MeshView::keyPressed (const juce::KeyPress& key)
{
    // A click in the view takes the keyboard focus for the viewer's keys; the arrow keys stay the tree's.
    using K = juce::KeyPress;
    const auto code = key.getKeyCode();

    if (code == K::upKey || code == K::downKey || code == K::leftKey || code == K::rightKey)
        return treeView->keyPressed (key);

    return false;
}

void MeshView::startInteracting()
{
    // Until the mouse rests a moment, a mesh too slow to draw whole is drawn reduced.
    interacting = true;
    startTimer (250);
    publish (true);
}

void MeshView::timerCallback()
{
    stopTimer();
    interacting = false;
    publish (false);
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

bool MeshView::loadMesh (const juce::File& file)
{
    return read (file, false);
}

bool MeshView::reload()
{
    return document.isLoaded() && read (document.getFile(), true);
}

bool MeshView::read (const juce::File& file, bool reloading)
{
    // A box shown during a load keeps delivering events; a second load may not start inside the first.
    if (loading)
        return false;

    const juce::ScopedValueSetter<bool> busy (loading, true);
    const auto keptCamera = camera;

    // The rows and the frame let go of the old model before it goes (the document keeps the selection's
    // path for a reload).
    meshLoaded = false;
    camera.resetForLoad();
    rows.clear();
    drawList.reset();
    publish (true);

    if (! file.existsAsFile())
    {
        document.close(); // the tree shows "No Mesh Loaded"
        refreshCaptions();
        return false;
    }

    const auto result = reloading ? document.reload() : document.load (file);

    for (size_t i = 0; i < result.warnings.size(); ++i)
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, warningTitle, warningMessage, "ok");

    auto* application = juce::JUCEApplicationBase::getInstance();
    const auto applicationName = application != nullptr ? application->getApplicationName() : juce::String ("Tolmar MSH Viewer");

    if (! result.loaded)
    {
        setTitle (applicationName);
        refreshCaptions();
        return false;
    }

    const auto& mesh = document.getMesh();
    auto list = std::make_shared<DrawList> (makeDrawList (mesh->root));
    list->keepAlive = mesh;
    drawList = std::move (list);
    meshLoaded = true;
    camera.placeFromHeader (mesh->headerWord (0), mesh->headerWord (18), mesh->headerWord (19));
    loadedCamera = camera;
    setTitle (applicationName + " - " + file.getFileName());

    rows.show (mesh->root);

    if (reloading)
        camera = keptCamera;

    // Painted behind the box while it is open.
    refreshCaptions (true);

    if (reloading)
        selectObject (document.getSelected());
    else
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::InfoIcon, informationTitle, informationMessage, "ok");

    return true;
}

//==============================================================================
void MeshView::selectionChanged()
{
    if (overlayShown)
        refreshCaptions (true); // the overlay names the selected object
    else
        publish (true);
}

void MeshView::selectObject (const MshObject* object)
{
    if (object == nullptr || ! rows.hasRows())
        return;

    // A sibling of the root has no row: no row stays selected, the object alone is highlighted.
    if (! rows.selectRowOf (*object))
    {
        document.select (object);
        selectionChanged();
    }
}

void MeshView::frameSelection()
{
    if (! meshLoaded)
        return;

    const auto box = framedBounds (getMesh().root, document.getSelected(), document.getTotals().bounds);

    if (box.empty)
        return;

    camera.frame (box.centre(), box.radius(), getHeight() > 0 ? (double) getWidth() / getHeight() : 1.0);
    publish (true);
}

void MeshView::resetCamera()
{
    camera = meshLoaded ? loadedCamera : ViewCamera();
    publish (true);
}

void MeshView::toggleWireframe()
{
    wireframe = ! wireframe;
    publish (true);
}

void MeshView::toggleOverlay()
{
    overlayShown = ! overlayShown;
    refreshCaptions();
}

void MeshView::zoomSteps (int notches)
{
    for (int i = 0; i < std::abs (notches); ++i)
        camera.wheel (notches > 0 ? ViewCamera::notch : -ViewCamera::notch);

    publish (true);
}

//==============================================================================
void MeshView::savePicture()
{
    if (! meshLoaded)
        return;

    // What is shown now, named after the file shown now, whatever comes before the next frame.
    publish (false);
    renderer.takePicture (document.getFile());
    repaint();
}

void MeshView::showNotice (const juce::String& text)
{
    noticeText = text;
    refreshCaptions();

    // Goes by itself after a while.
    juce::Timer::callAfterDelay (3000, [safe = safeThis, text]
    {
        if (auto* view = safe.getComponent(); view != nullptr && view->noticeText == text)
        {
            view->noticeText = {};
            view->refreshCaptions();
        }
    });
}
