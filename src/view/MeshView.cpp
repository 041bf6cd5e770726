// Tolmar MSH Viewer - the 3-D view: owns the mesh, loads files into it, draws it, turns it with the mouse.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshView.h"
#include "MeshDrawing.h"
#include "MeshPicking.h"
#include "ViewInfo.h"
#include "X11Events.h"
#include "exchange/PngFiles.h"

MeshView::MeshView (juce::TreeView* tree, const juce::String& initialFile)
    : treeView (tree)
{
    jassert (treeView != nullptr);
    treeView->setRootItem (&rootItem);
    treeView->setColour (juce::TreeView::backgroundColourId, juce::Colour (0xffadd8e6));

    // 24 depth bits at least: a format no GLX config can give makes JUCE crash; GLX picks the deepest.
    context.setPixelFormat (juce::OpenGLPixelFormat (8, 8, 24, 0));
    context.setRenderer (this);
    context.setComponentPaintingEnabled (false); // frames then run without the message thread's lock
    context.setContinuousRepainting (false);     // frames on demand only
    context.attachTo (*this);

    setWantsKeyboardFocus (true);
    queuedEventsWatch.check = [this] { wakeForQueuedEvents (glDisplay.load(), glWindow.load()); };
    queuedEventsWatch.startTimer (100);

    if (initialFile.isNotEmpty())
        loadMesh (juce::File::getCurrentWorkingDirectory().getChildFile (initialFile));
}

MeshView::~MeshView()
{
    // A frame under way gives up, so the detach below does not wait for it; nothing may draw once the
    // things it draws start to go.
    closing = true;
    context.detach();

    // JUCE's tree still uses its root item when it is destroyed itself, so the rows leave it first.
    treeView->setRootItem (nullptr);
    objectRootItem.reset();
}

//==============================================================================
void MeshView::publish (bool sceneChanged)
{
    {
        const std::lock_guard<std::mutex> lock (requestLock);

        if (sceneChanged)
            ++sceneCount;

        request.list = meshLoaded ? drawList : nullptr;
        request.camera = camera;
        request.highlighted = highlighted;
        request.wireframe = wireframe;
        request.interacting = interacting;
        request.scene = sceneCount;
        request.overlay = overlayCaption;
        request.notice = noticeCaption;
    }

    repaint();
}

void MeshView::newOpenGLContextCreated()
{
    // A new context has none of the old one's buffers. The GL state is set up at the start of every frame.
    sceneBuffer = {};
    rainbowTexture = 0;
    glDisplay = currentGLDisplay();
    glWindow = currentGLWindow();
}

bool MeshView::makeSceneBuffer (int width, int height)
{
    using namespace juce::gl;
    auto& buffer = sceneBuffer;

    if (buffer.frameBuffer != 0 && buffer.width == width && buffer.height == height)
        return true;

    deleteSceneBuffer();

    if (width <= 0 || height <= 0)
        return false;

    // Colour only: it keeps a copy of a scene drawn in the window, which is drawn there because llvmpipe
    // was seen to rasterise an edge pixel of the same frame differently into a buffer of its own.
    glGenFramebuffers (1, &buffer.frameBuffer);
    glBindFramebuffer (GL_FRAMEBUFFER, buffer.frameBuffer);
    glGenRenderbuffers (1, &buffer.colour);
    glBindRenderbuffer (GL_RENDERBUFFER, buffer.colour);
    glRenderbufferStorage (GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer (GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffer.colour);

    const auto complete = glCheckFramebufferStatus (GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer (GL_FRAMEBUFFER, 0);

    if (! complete)
    {
        deleteSceneBuffer();
        return false;
    }

    buffer.width = width;
    buffer.height = height;
    return true;
}

void MeshView::deleteSceneBuffer()
{
    using namespace juce::gl;

    if (sceneBuffer.colour != 0)
        glDeleteRenderbuffers (1, &sceneBuffer.colour);

    if (sceneBuffer.frameBuffer != 0)
        glDeleteFramebuffers (1, &sceneBuffer.frameBuffer);

    sceneBuffer = {};
}

bool MeshView::drawScene (FrameRequest& wanted, int width, int height)
{
    drawing = true;
    const juce::ScopeGuard done { [this] { drawing = false; } };

    for (;;)
    {
        if (wanted.list.get() != pacedList)
            pacing = {};

        pacedList = wanted.list.get();
        const auto step = stepFor (wanted);
        const auto started = juce::Time::getMillisecondCounterHiRes();
        const auto total = wanted.list != nullptr ? wanted.list->triangles : 0;

        FrameOptions options;
        options.wireframe = wanted.wireframe;
        options.highlighted = wanted.highlighted;
        options.step = step;
        options.texture = &rainbowTexture;
        options.stop = [&] (size_t drawn)
        {
            if (closing)
                return true;

            const auto elapsed = juce::Time::getMillisecondCounterHiRes() - started;

            if (! pacing.shouldGiveUp (step, sceneCount.load() != wanted.scene, elapsed))
                return false;

            pacing.fullFrameGivenUp (elapsed, drawn, total);
            return true;
        };

        if (renderFrame (wanted.camera, wanted.list.get(), width, height, options))
        {
            juce::gl::glFinish(); // the time it took to draw, not to hand over
            const auto ms = juce::Time::getMillisecondCounterHiRes() - started;

            if (step > 1)
                pacing.reducedFrameFinished (step, ms);
            else if (total > 0)
                pacing.fullFrameFinished (ms);

            sceneBuffer.scene = wanted.scene;
            sceneBuffer.step = step;
            ++scenesDrawn;
            juce::MessageManager::callAsync ([safe = safeThis, ms]
            {
                if (auto* view = safe.getComponent())
                    view->frameDrawn (ms);
            });
            return true;
        }

        if (closing)
            return false;

        // Given up for something newer: that is drawn instead, and only a whole frame reaches the window.
        const std::lock_guard<std::mutex> lock (requestLock);
        wanted = request;
    }
}

void MeshView::renderOpenGL()
{
    using namespace juce::gl;
    GLint viewport[4] = {};
    glGetIntegerv (GL_VIEWPORT, viewport);
    const auto width = viewport[2], height = viewport[3];

    FrameRequest wanted;
    {
        const std::lock_guard<std::mutex> lock (requestLock);
        wanted = request;
    }

    // The scene is drawn in the window and a copy kept, which a frame that asks for the same scene again
    // (an expose, a caption) copies back. Without a buffer for the copy the scene is drawn every frame.
    const auto buffered = makeSceneBuffer (width, height);
    const auto wantedStep = stepFor (wanted);
    const auto copyTo = [&] (GLuint target, GLuint source)
    {
        glBindFramebuffer (GL_READ_FRAMEBUFFER, source);
        glBindFramebuffer (GL_DRAW_FRAMEBUFFER, target);
        glBlitFramebuffer (0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer (GL_FRAMEBUFFER, 0);
    };

    if (! buffered || wanted.scene != sceneBuffer.scene || wantedStep != sceneBuffer.step || wanted.list.get() != pacedList)
    {
        if (! drawScene (wanted, width, height))
            return;

        if (buffered)
            copyTo (sceneBuffer.frameBuffer, 0);
    }
    else
    {
        copyTo (0, sceneBuffer.frameBuffer);
    }

    // A picture of another scene leaves it in the window: the current one goes back before it is shown.
    if (takePictures (width, height))
    {
        if (buffered)
            copyTo (0, sceneBuffer.frameBuffer);
        else if (! drawScene (wanted, width, height))
            return;
    }

    for (const auto* caption : { wanted.overlay.get(), wanted.notice.get() })
    {
        if (caption == nullptr)
            continue;

        glDisable (GL_DEPTH_TEST);
        glDisable (GL_TEXTURE_2D);
        glEnable (GL_BLEND);
        glBlendFunc (GL_ONE, GL_ONE_MINUS_SRC_ALPHA); // the caption's pixels are premultiplied
        glPixelStorei (GL_UNPACK_ALIGNMENT, 4);
        glWindowPos2i (caption->x, height - caption->y - caption->height);
        glDrawPixels (caption->width, caption->height, GL_BGRA, GL_UNSIGNED_BYTE, caption->pixels.data());
    }

    ++renderedFrames;
}

void MeshView::openGLContextClosing()
{
    // On the message thread, with the context current and no frame running.
    deleteSceneBuffer();

    if (rainbowTexture != 0)
        juce::gl::glDeleteTextures (1, &rainbowTexture);

    rainbowTexture = 0;
    glDisplay = nullptr;
    glWindow = 0;
}

void MeshView::frameDrawn (double milliseconds)
{
    frameMilliseconds = milliseconds;

    // The overlay tells the new time from the next frame on, which copies the scene without drawing it.
    if (overlayShown)
        if (const auto text = getOverlayText(); text != shownOverlayText)
            refreshCaptions();
}

void MeshView::resized()
{
    refreshCaptions();
}

juce::String MeshView::getOverlayText() const
{
    return overlayLines ({ currentFile.getFileName(), totals, loadMilliseconds, frameMilliseconds, highlighted }).joinIntoString ("\n");
}

void MeshView::refreshCaptions (bool sceneChanged)
{
    shownOverlayText = overlayShown ? getOverlayText() : juce::String();
    overlayCaption = overlayShown ? makeCaption (shownOverlayText, getLocalBounds().removeFromTop (90).removeFromLeft (juce::jmin (getWidth(), 420))) : nullptr;
    noticeCaption = noticeText.isNotEmpty() ? makeCaption (noticeText, getLocalBounds().removeFromBottom (28)) : nullptr;
    publish (sceneChanged);
}

std::shared_ptr<const MeshView::Caption> MeshView::makeCaption (const juce::String& text, juce::Rectangle<int> area) const
{
    if (area.isEmpty())
        return nullptr;

    // In the frame's pixels, which the display's scale makes more than the view's own: the text is drawn
    // at that scale, so it is as sharp as the rest and sits where it does at any scale.
    auto scale = 1.0f;

    if (const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (getTopLevelComponent()->getScreenBounds()))
        scale = (float) display->scale;

    const auto pixels = area.toFloat().transformedBy (juce::AffineTransform::scale (scale)).getSmallestIntegerContainer();
    juce::Image image (juce::Image::ARGB, pixels.getWidth(), pixels.getHeight(), true, juce::SoftwareImageType());
    {
        juce::Graphics g (image);
        g.addTransform (juce::AffineTransform::scale (scale));
        g.fillAll (juce::Colours::black.withAlpha (0.55f));
        g.setColour (juce::Colours::white);
        g.setFont (13.0f);
        g.drawFittedText (text, area.withZeroOrigin().reduced (6, 4), juce::Justification::topLeft, 8);
    }

    auto caption = std::make_shared<Caption>();
    caption->x = pixels.getX();
    caption->y = pixels.getY();
    caption->width = pixels.getWidth();
    caption->height = pixels.getHeight();
    caption->pixels.resize ((size_t) caption->width * (size_t) caption->height * 4);

    // GL draws pixels bottom row first.
    const juce::Image::BitmapData data (image, juce::Image::BitmapData::readOnly);
    const auto rowBytes = (size_t) caption->width * 4;

    for (int row = 0; row < caption->height; ++row)
        std::memcpy (caption->pixels.data() + (size_t) (caption->height - 1 - row) * rowBytes, data.getLinePointer (row), rowBytes);

    return caption;
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
    startInteracting();
}

void MeshView::mouseUp (const juce::MouseEvent& e)
{
    // JUCE gives a release the buttons held before it, so the released one is among them.
    camera.buttonUp (e.mods.isLeftButtonDown(), e.mods.isRightButtonDown());

    // A left click that did not drag picks what is under it; the background picks nothing.
    if (e.mods.isLeftButtonDown() && ! e.mouseWasDraggedSinceMouseDown() && meshLoaded && ! loading)
        selectObject (pickObject (camera, mesh->root, e.position.x, e.position.y, getWidth(), getHeight()));

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

    if (highlighted != nullptr)
        for (const auto* step : mshAncestry (mesh->root, *highlighted))
            selectedPath.add (step->name);

    // The rows and the frame let go of the old model before it goes, and before the next one is read.
    meshLoaded = false;
    highlighted = nullptr;
    highlightedWithoutRow = nullptr;
    camera.resetForLoad();
    dropObjectRows();
    drawList.reset();
    publish (true);
    mesh = std::make_shared<MshMesh>();

    if (! file.existsAsFile())
    {
        // The tree shows "No Mesh Loaded".
        currentFile = juce::File();
        refreshCaptions();
        return false;
    }

    const auto started = juce::Time::getMillisecondCounterHiRes();

    const auto loaded = mesh->loadFromFile (file, [] (const MshWarning&)
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
        refreshCaptions();
        return false;
    }

    auto list = std::make_shared<DrawList> (makeDrawList (mesh->root));
    list->keepAlive = mesh;
    drawList = std::move (list);
    loadMilliseconds = juce::Time::getMillisecondCounterHiRes() - started;
    totals = mshTotals (mesh->root, true);
    currentFile = file;
    meshLoaded = true;
    camera.placeFromHeader (mesh->headerWord (0), mesh->headerWord (18), mesh->headerWord (19));
    loadedCamera = camera;
    setTitle (applicationName + " - " + file.getFileName());

    objectRootItem = std::make_unique<ObjectTreeItem> (mesh->root, &onRowSelection);
    treeView->setRootItem (objectRootItem.get());

    if (reloading)
        camera = keptCamera;

    // Painted behind the box while it is open.
    refreshCaptions (true);

    if (reloading)
        selectObject (mshFindByNames (mesh->root, selectedPath));
    else
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::InfoIcon, informationTitle, informationMessage, "ok");

    return true;
}

//==============================================================================
MshObject* MeshView::findSelected() const
{
    MshObject* found = nullptr;

    if (meshLoaded)
        mshForEachPlacedObject (mesh->root, true, { 0, 0, 0 }, [&found] (const MshObject& o, double, double, double)
        {
            if (o.selected && found == nullptr)
                found = const_cast<MshObject*> (&o);
        });

    return found;
}

void MeshView::selectionChanged()
{
    highlighted = findSelected();

    if (overlayShown)
        refreshCaptions (true); // the overlay names the selected object
    else
        publish (true);
}

void MeshView::rowSelectionChanged()
{
    // A row's object is highlighted now, not a root sibling picked before.
    if (highlightedWithoutRow != nullptr && treeView->getNumSelectedItems() > 0)
    {
        highlightedWithoutRow->selected = false;
        highlightedWithoutRow = nullptr;
    }

    selectionChanged();
}

void MeshView::selectObject (const MshObject* object)
{
    if (object == nullptr || objectRootItem == nullptr)
        return;

    if (highlightedWithoutRow != nullptr)
        highlightedWithoutRow->selected = false;

    highlightedWithoutRow = nullptr;
    const auto path = mshAncestry (mesh->root, *object);

    if (path.empty())
    {
        // A sibling of the root has no row: no row stays selected, the object alone is highlighted.
        treeView->clearSelectedItems();
        highlightedWithoutRow = const_cast<MshObject*> (object);
        highlightedWithoutRow->selected = true;
        selectionChanged();
        return;
    }

    auto* row = objectRootItem.get();

    // Down the rows level by level, until a row that lists everything below it flat.
    for (size_t depth = 1; depth < path.size() && row != nullptr; ++depth)
    {
        if (row->listsDescendantsFlat())
        {
            row = row->openToRowOf (*path.back());
            break;
        }

        row = row->openToRowOf (*path[depth]);
    }

    if (row != nullptr)
    {
        row->setSelected (true, true);
        treeView->scrollToKeepItemVisible (row);
    }
}

void MeshView::frameSelection()
{
    if (! meshLoaded)
        return;

    // The selected object with its subtree, placed under its parent; else (or when it draws nothing)
    // everything drawn.
    auto box = totals.bounds;

    if (highlighted != nullptr)
        if (const auto base = mshParentPlacement (mesh->root, *highlighted))
            if (const auto own = mshTotals (*highlighted, false, *base).bounds; ! own.empty)
                box = own;

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

void MeshView::savePicture()
{
    if (! meshLoaded)
        return;

    // What is shown now, named after the file shown now, whatever comes before the next frame.
    publish (false);
    {
        const std::lock_guard<std::mutex> lock (requestLock);
        auto scene = request;
        scene.interacting = false;
        pictureJobs.push_back ({ scene, currentFile });
    }
    repaint();
}

bool MeshView::takePictures (int width, int height)
{
    std::vector<PictureJob> jobs;
    {
        const std::lock_guard<std::mutex> lock (requestLock);
        jobs.swap (pictureJobs);
    }

    // The file is written on the message thread; the picture is the scene without the captions. A scene
    // other than the one in the window (a load came first) is drawn there again for it, in full.
    bool drewOver = false;

    for (auto& job : jobs)
    {
        if (drewOver || job.scene.scene != sceneBuffer.scene || sceneBuffer.step != 1)
        {
            FrameOptions options;
            options.wireframe = job.scene.wireframe;
            options.highlighted = job.scene.highlighted;
            options.texture = &rainbowTexture;
            options.stop = [this] (size_t) { return closing.load(); };
            drewOver = true;

            if (! renderFrame (job.scene.camera, job.scene.list.get(), width, height, options))
                return true;
        }

        juce::MessageManager::callAsync ([safe = safeThis, pixels = readFramePixels (width, height), width, height, file = job.meshFile] () mutable
        {
            if (auto* view = safe.getComponent())
                view->writePicture (std::move (pixels), width, height, file);
        });
    }

    return drewOver;
}

void MeshView::writePicture (std::vector<juce::uint8> pixels, int width, int height, const juce::File& meshFile)
{
    // As on screen: opaque, whatever alpha blending left in the frame.
    for (size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 255;

    const auto target = nextPictureFile (meshFile);
    const auto problem = writePngFile (target, pixels.data(), width, height, 4);
    showNotice (problem.isEmpty() ? "Saved " + target.getFullPathName() : "Could not save the picture: " + problem);
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
