// Tolmar MSH Viewer - the 3-D view: a mesh drawn, turned and moved with the mouse.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "EventLoopGuard.h"
#include "FrameGate.h"
#include "ReducedCopies.h"
#include "SceneRenderer.h"
#include "ViewInfo.h"

#include <juce_opengl/juce_opengl.h>

// A component with an OpenGL context whose frames the scene renderer draws on demand on JUCE's render
// thread. It draws the mesh it is given to show, with one object highlighted; the mouse turns, moves and
// zooms the camera, and a click picks the object under it. What it picks and the pictures it takes go
// to its listener.
class MeshView final : public juce::Component,
                       private juce::OpenGLRenderer,
                       private juce::Timer
{
public:
    struct Listener
    {
        virtual ~Listener() = default;

        // A left click that did not drag: the object under it, or nullptr for the background.
        virtual void objectPicked (const MshObject* object) = 0;

        // The frame takePicture asked for, as RGBA rows top first, with the file it was asked for.
        virtual void pictureTaken (std::vector<juce::uint8> rgba, int width, int height, const juce::File& meshFile) = 0;
    };

    MeshView();
    ~MeshView() override;

    // Who is told of picks and pictures (nullptr: nobody).
    void setListener (Listener* newListener)            { listener = newListener; }

    // What is drawn: the objects of mesh (nullptr: the background alone), the camera placed as its header
    // says, or where it was when keepCamera.
    void showMesh (std::shared_ptr<const MshMesh> mesh, bool keepCamera = false);

    // The object drawn reddish and opaque (nullptr: none), and what the information overlay tells.
    void setHighlighted (const MshObject* object);
    void setOverlayFacts (const OverlayFacts& facts);

    // A short text along the bottom that goes by itself after a while.
    void showNotice (const juce::String& text);

    void frame (const MshBounds& box);     // the box in view, in the middle; turning and zooming go about it
    void resetCamera();                    // back to where the mesh shown put it
    void toggleWireframe()                              { auto s = style; s.wireframe = ! s.wireframe; setStyle (s); }
    void setStyle (const DrawStyle& newStyle)          { style = newStyle; publish (true); }
    void setHidden (HiddenObjects objects);     // neither drawn nor picked
    void toggleOverlay();
    void zoomSteps (int notches);          // as many wheel notches, away from the user when positive
    void takePicture (const juce::File& meshFile); // what is shown now, to the listener

    bool isShowingMesh() const noexcept                 { return mesh != nullptr; }
    const MshObject* getHighlighted() const noexcept    { return highlighted; }
    bool isWireframe() const noexcept                   { return style.wireframe; }
    const DrawStyle& getStyle() const noexcept          { return style; }
    const HiddenObjects& getHidden() const noexcept     { return hidden; }
    const ReducedScene* getReducedCopy() const noexcept { return reduced.get(); } // of the list shown, once made
    bool isOverlayShown() const noexcept                { return overlayShown; }
    const ViewCamera& getCamera() const noexcept        { return camera; }
    juce::String getNotice() const                      { return noticeText; }
    juce::String getOverlayText() const                 { auto f = overlayFacts; f.frameMilliseconds = frameMilliseconds; return overlayLines (f).joinIntoString ("\n"); }
    int getRenderedFrameCount() const noexcept          { return renderer.getRenderedFrameCount(); }
    int getScenesDrawn() const noexcept                 { return renderer.getScenesDrawn(); } // the frames that drew, not copied
    double getLastFrameMilliseconds() const noexcept    { return frameMilliseconds.load(); } // of the scene alone
    bool isDrawing() const noexcept                     { return renderer.isDrawing(); }

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;
    void resized() override;

private:
    void newOpenGLContextCreated() override;
    void renderOpenGL() override;
    void openGLContextClosing() override;
    void timerCallback() override;

    void startInteracting();
    void publish (bool sceneChanged);
    void makeDrawList();
    void refreshCaptions (bool sceneChanged = false);   // and publishes
    void frameDrawn (double milliseconds);

    juce::Component::SafePointer<MeshView> safeThis { this }; // made here, before the renderer that copies it
    Listener* listener = nullptr;
    juce::OpenGLContext context;
    SceneRenderer renderer;
    FrameGate frameGate;
    EventLoopGuard eventLoop;
    ViewCamera camera, meshCamera;               // now, and where the mesh shown put it
    std::shared_ptr<const MshMesh> mesh;
    std::shared_ptr<const DrawList> drawList;
    std::shared_ptr<const ReducedScene> reduced;
    ReducedCopies reducedCopies { [this] (std::shared_ptr<const ReducedScene> made) { reduced = std::move (made); publish (false); } };
    const MshObject* highlighted = nullptr;
    DrawStyle style;
    HiddenObjects hidden;
    bool interacting = false, overlayShown = false;
    OverlayFacts overlayFacts;
    juce::String noticeText, shownOverlayText;
    std::shared_ptr<const Caption> overlayCaption, noticeCaption;
    std::atomic<double> frameMilliseconds { 0 };

    // Events the render thread's GL calls took off the window system's connection are looked for ten
    // times a second.
    struct Watch final : public juce::Timer
    {
        std::function<void()> check;
        void timerCallback() override           { check(); }
    } eventLoopWatch;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MeshView)
};
