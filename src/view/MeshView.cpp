// Tolmar MSH Viewer - the 3-D view: a mesh drawn, turned and moved with the mouse.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshView.h"
#include "Captions.h"
#include "scene/MeshPicking.h"

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

MeshView::MeshView()
    : renderer ({ [safe = safeThis] (double ms) { toView (safe, [ms] (MeshView& view) { view.frameDrawn (ms); }); },
                  [safe = safeThis] (std::vector<juce::uint8> pixels, int width, int height, const juce::File& meshFile)
                  {
                      toView (safe, [pixels = std::move (pixels), width, height, meshFile] (MeshView& view) mutable
                      {
                          if (view.listener != nullptr)
                              view.listener->pictureTaken (std::move (pixels), width, height, meshFile);
                      });
                  } })
{
    // 24 depth bits at least: a format no GLX config can give makes JUCE crash; GLX picks the deepest.
    context.setPixelFormat (juce::OpenGLPixelFormat (8, 8, 24, 0));
    context.setRenderer (this);
    context.setComponentPaintingEnabled (false); // frames then run without the message thread's lock
    context.setContinuousRepainting (false);     // frames on demand only
    context.attachTo (*this);

    setWantsKeyboardFocus (true);
    eventLoopWatch.check = [this] { eventLoop.check(); };
    eventLoopWatch.startTimer (100);
}

MeshView::~MeshView()
{
    // A frame under way gives up, so the detach below does not wait for it; nothing may draw once the
    // things it draws start to go.
    frameGate.open();
    renderer.close();
    context.detach();
}

void MeshView::newOpenGLContextCreated()
{
    renderer.contextCreated();
    eventLoop.contextCreated();
}

void MeshView::renderOpenGL()
{
    frameGate.pass (std::chrono::seconds (2));
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

void MeshView::resized()
{
    frameGate.hold ([this] { context.triggerRepaint(); }, isShowing()); // JUCE sizes the GL window next
    refreshCaptions();
}

void MeshView::publish (bool sceneChanged)
{
    renderer.publish ({ drawList, camera, highlighted, style, interacting, reduced, 0, overlayCaption, noticeCaption }, sceneChanged);
    repaint();
}

void MeshView::frameDrawn (double milliseconds)
{
    frameMilliseconds = milliseconds;

    // The overlay tells the new time from the next frame on, which copies the scene without drawing it.
    if (overlayShown && getOverlayText() != shownOverlayText)
        refreshCaptions();
}

void MeshView::refreshCaptions (bool sceneChanged)
{
    // The frame's pixels are the view's times the display's scale.
    const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (getTopLevelComponent()->getScreenBounds());
    const auto scale = display != nullptr ? (float) display->scale : 1.0f;
    shownOverlayText = overlayShown ? getOverlayText() : juce::String();
    overlayCaption = overlayShown ? makeCaption (shownOverlayText, captionAreaFor (shownOverlayText, getLocalBounds()), scale) : nullptr;
    noticeCaption = noticeText.isNotEmpty() ? makeCaption (noticeText, getLocalBounds().removeFromBottom (28), scale) : nullptr;
    publish (sceneChanged);
}

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
    if (e.mods.isLeftButtonDown() && ! e.mouseWasDraggedSinceMouseDown() && mesh != nullptr && listener != nullptr)
        listener->objectPicked (pickObject (camera, mesh->root, e.position.x, e.position.y, getWidth(), getHeight(), hidden));

    if (interacting)
        timerCallback(); // the drag is over: the full picture
}

void MeshView::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    camera.wheel (ViewCamera::wheelIncrement (wheel.deltaY));
    startInteracting();
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

void MeshView::showMesh (std::shared_ptr<const MshMesh> toShow, bool keepCamera)
{
    const auto kept = camera;
    mesh = std::move (toShow);
    highlighted = nullptr;
    hidden.clear();
    camera.resetForLoad();
    makeDrawList();

    if (mesh != nullptr)
        camera.placeFromHeader (mesh->headerWord (0), mesh->headerWord (18), mesh->headerWord (19));

    meshCamera = camera;
    camera = keepCamera ? kept : camera;
    refreshCaptions (true);
}

void MeshView::setHighlighted (const MshObject* object)
{
    highlighted = object;
    overlayShown ? refreshCaptions (true) : publish (true); // the overlay names the highlighted object
}

void MeshView::setOverlayFacts (const OverlayFacts& facts)
{
    overlayFacts = facts;

    if (overlayShown)
        refreshCaptions();
}

void MeshView::frame (const MshBounds& box)
{
    if (box.empty)
        return;

    camera.frame (box.centre(), box.radius(), getHeight() > 0 ? (double) getWidth() / getHeight() : 1.0);
    publish (true);
}

void MeshView::resetCamera()
{
    camera = mesh != nullptr ? meshCamera : ViewCamera();
    publish (true);
}

void MeshView::makeDrawList()
{
    auto list = mesh != nullptr ? std::make_shared<DrawList> (::makeDrawList (mesh->root, hidden)) : nullptr;
    if (list != nullptr)
        list->keepAlive = mesh; // the frame holds what it draws; without a mesh it lets go of the old one
    drawList = std::move (list);
    reduced = nullptr; // until the copies of the new list are made
    reducedCopies.start (drawList);
}

void MeshView::setHidden (HiddenObjects objects)
{
    hidden = std::move (objects);
    makeDrawList();
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

void MeshView::takePicture (const juce::File& meshFile)
{
    // What is shown now, whatever comes before the next frame.
    publish (false);
    renderer.takePicture (meshFile);
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
