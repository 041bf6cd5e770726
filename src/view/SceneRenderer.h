// Tolmar MSH Viewer - the 3-D view's frames, drawn on JUCE's render thread from requests of small values.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "drawing/MeshDrawing.h"
#include "scene/DrawList.h"
#include "scene/ViewCamera.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

// Text over the frame in a corner, drawn on the message thread into pixels the frame lays over its picture.
struct Caption
{
    int x = 0, y = 0, width = 0, height = 0;   // in the frame's pixels, y down
    std::vector<juce::uint8> pixels;           // premultiplied BGRA, bottom row first
};

// What a frame draws: a draw list made once per load from a model that nothing changes while it is
// drawn, the camera, the highlighted object (only compared), and the captions.
struct FrameRequest
{
    std::shared_ptr<const DrawList> list;
    ViewCamera camera;
    const MshObject* highlighted = nullptr;
    DrawStyle style;
    bool interacting = false;
    std::shared_ptr<const ReducedScene> reduced;  // what a reduced frame draws, when made
    juce::uint64 scene = 0;                    // counts changes of anything above but interacting
    std::shared_ptr<const Caption> overlay, notice;
};

// The message thread hands it requests; JUCE's render thread draws them, without the message thread's
// lock, however long a frame takes. The scene is drawn in the window and a copy kept, which a frame that
// asks for the same scene again (an expose, a caption) copies back. A mesh whose full frame is slow is
// drawn reduced while the user turns it, and a long full frame gives up when something newer is asked
// for. Pictures are taken of the scene a request showed.
class SceneRenderer final
{
public:
    struct Callbacks
    {
        std::function<void (double milliseconds)> frameDrawn;
        std::function<void (std::vector<juce::uint8> rgba, int width, int height, const juce::File& meshFile)> pictureTaken;
    };

    // The callbacks are called on the render thread.
    explicit SceneRenderer (Callbacks callbacks);

    // On the message thread. sceneChanged: what the request draws differs from the one before.
    void publish (FrameRequest request, bool sceneChanged);
    void takePicture (const juce::File& meshFile);    // of what the last request shows, in full
    void close();                                      // any frame gives up at once, and no more are drawn

    // On the render thread, with the context current (closing: on the message thread, no frame running).
    void contextCreated();
    void renderFrame (int width, int height);
    void contextClosing();

    int getRenderedFrameCount() const noexcept      { return renderedFrames.load(); }
    int getScenesDrawn() const noexcept             { return scenesDrawn.load(); }
    bool isDrawing() const noexcept                 { return drawing.load(); }

private:
    struct PictureJob
    {
        FrameRequest scene;
        juce::File meshFile;
    };

    size_t stepFor (const FrameRequest& wanted) const noexcept   { return pacing.stepFor (wanted.interacting); }
    bool makeSceneBuffer (int width, int height);
    void deleteSceneBuffer();
    bool drawScene (FrameRequest& wanted, int width, int height);
    bool takePictures (int width, int height);   // true when it drew over the window's scene
    void copyFrame (unsigned int target, unsigned int source, int width, int height);

    const Callbacks callbacks;
    std::mutex requestLock;                      // held only to copy a request in or out
    FrameRequest request;
    std::vector<PictureJob> pictureJobs;         // taken by the next frame
    std::atomic<juce::uint64> sceneCount { 0 };
    std::atomic<bool> closing { false };
    std::atomic<bool> drawing { false };
    std::atomic<int> renderedFrames { 0 }, scenesDrawn { 0 };

    // The render thread's own.
    struct SceneBuffer
    {
        juce::uint32 frameBuffer = 0, colour = 0;
        int width = 0, height = 0;
        juce::uint64 scene = ~juce::uint64();
        size_t step = 0;
    } sceneBuffer;
    FramePacing pacing;
    const DrawList* pacedList = nullptr;
    unsigned int rainbowTexture = 0;

    JUCE_DECLARE_NON_COPYABLE (SceneRenderer)
};
