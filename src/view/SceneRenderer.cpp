// Tolmar MSH Viewer - the 3-D view's frames, drawn on JUCE's render thread from requests of small values.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "SceneRenderer.h"
#include "drawing/MeshDrawing.h"

#include <juce_opengl/juce_opengl.h>

using namespace juce::gl;

SceneRenderer::SceneRenderer (Callbacks c) : callbacks (std::move (c)) {}

void SceneRenderer::publish (FrameRequest wanted, bool sceneChanged)
{
    const std::lock_guard<std::mutex> lock (requestLock);

    if (sceneChanged)
        ++sceneCount;

    wanted.scene = sceneCount;
    request = std::move (wanted);
}

void SceneRenderer::takePicture (const juce::File& meshFile)
{
    const std::lock_guard<std::mutex> lock (requestLock);
    auto scene = request;
    scene.interacting = false;
    pictureJobs.push_back ({ std::move (scene), meshFile });
}

void SceneRenderer::close()
{
    closing = true;
}

//==============================================================================
void SceneRenderer::contextCreated()
{
    // A new context has none of the old one's buffers. The GL state is set up at the start of every frame.
    sceneBuffer = {};
    rainbowTexture = 0;
}

void SceneRenderer::contextClosing()
{
    deleteSceneBuffer();

    if (rainbowTexture != 0)
        glDeleteTextures (1, &rainbowTexture);

    rainbowTexture = 0;
}

bool SceneRenderer::makeSceneBuffer (int width, int height)
{
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

void SceneRenderer::deleteSceneBuffer()
{
    if (sceneBuffer.colour != 0)
        glDeleteRenderbuffers (1, &sceneBuffer.colour);

    if (sceneBuffer.frameBuffer != 0)
        glDeleteFramebuffers (1, &sceneBuffer.frameBuffer);

    sceneBuffer = {};
}

void SceneRenderer::copyFrame (unsigned int target, unsigned int source, int width, int height)
{
    glBindFramebuffer (GL_READ_FRAMEBUFFER, source);
    glBindFramebuffer (GL_DRAW_FRAMEBUFFER, target);
    glBlitFramebuffer (0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer (GL_FRAMEBUFFER, 0);
}

bool SceneRenderer::drawScene (FrameRequest& wanted, int width, int height)
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
        options.style = wanted.style;
        options.highlighted = wanted.highlighted;
        options.reduced = wanted.reduced.get();
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

        if (::renderFrame (wanted.camera, wanted.list.get(), width, height, options))
        {
            glFinish(); // the time it took to draw, not to hand over
            const auto ms = juce::Time::getMillisecondCounterHiRes() - started;

            if (step > 1)
                pacing.reducedFrameFinished (step, ms);
            else if (total > 0)
                pacing.fullFrameFinished (ms);

            sceneBuffer.scene = wanted.scene;
            sceneBuffer.step = step;
            ++scenesDrawn;

            if (callbacks.frameDrawn)
                callbacks.frameDrawn (ms);

            return true;
        }

        if (closing)
            return false;

        // Given up for something newer: that is drawn instead, and only a whole frame reaches the window.
        const std::lock_guard<std::mutex> lock (requestLock);
        wanted = request;
    }
}

bool SceneRenderer::takePictures (int width, int height)
{
    std::vector<PictureJob> jobs;
    {
        const std::lock_guard<std::mutex> lock (requestLock);
        jobs.swap (pictureJobs);
    }

    // The picture is the scene without the captions. A scene other than the one in the window (a load
    // came first) is drawn there again for it, in full.
    bool drewOver = false;

    for (auto& job : jobs)
    {
        if (drewOver || job.scene.scene != sceneBuffer.scene || sceneBuffer.step != 1)
        {
            FrameOptions options;
            options.style = job.scene.style;
            options.highlighted = job.scene.highlighted;
            options.texture = &rainbowTexture;
            options.stop = [this] (size_t) { return closing.load(); };
            drewOver = true;

            if (! ::renderFrame (job.scene.camera, job.scene.list.get(), width, height, options))
                return true;
        }

        if (callbacks.pictureTaken)
            callbacks.pictureTaken (readFramePixels (width, height), width, height, job.meshFile);
    }

    return drewOver;
}

void SceneRenderer::renderFrame (int width, int height)
{
    FrameRequest wanted;
    {
        const std::lock_guard<std::mutex> lock (requestLock);
        wanted = request;
    }

    // Without a buffer for the copy the scene is drawn every frame.
    const auto buffered = makeSceneBuffer (width, height);

    if (! buffered || wanted.scene != sceneBuffer.scene || stepFor (wanted) != sceneBuffer.step || wanted.list.get() != pacedList)
    {
        if (! drawScene (wanted, width, height))
            return;

        if (buffered)
            copyFrame (sceneBuffer.frameBuffer, 0, width, height);
    }
    else
    {
        copyFrame (0, sceneBuffer.frameBuffer, width, height);
    }

    // A picture of another scene leaves it in the window: the current one goes back before it is shown.
    if (takePictures (width, height))
    {
        if (buffered)
            copyFrame (0, sceneBuffer.frameBuffer, width, height);
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
