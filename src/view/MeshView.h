// Tolmar MSH Viewer - the 3-D view: owns the mesh, loads files into it, draws it, turns it with the mouse.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "browser/ObjectTreeItem.h"
#include "msh/MshGeometry.h"
#include "DrawList.h"
#include "ViewCamera.h"

#include <juce_opengl/juce_opengl.h>

#include <atomic>
#include <mutex>

// A component with an OpenGL context. Frames are drawn only on demand (a repaint, a resize, an expose) on
// JUCE's render thread, without the message thread's lock, so however long a frame takes, the window
// answers. The message thread hands the frame what it draws as a request of small values: the camera, the
// highlighted object, and a draw list made once per load from a model that nothing changes while it is
// drawn. A copy of the scene is kept, so a frame that is asked for again (an expose, a caption) copies it
// back instead of drawing it again.
class MeshView final : public juce::Component,
                       private juce::OpenGLRenderer,
                       private juce::Timer
{
public:
    // treeView is the main panel's; the view installs its rows there but does not own it. A non-empty
    // initialFile is loaded at once (its result is not looked at).
    MeshView (juce::TreeView* treeView, const juce::String& initialFile);
    ~MeshView() override;

    // Resets the camera, reads the file (showing a "WARNING" box for each wrong end marker), places the
    // camera from the header, names the file in the window title, puts a closed row for the root object in
    // the tree and shows the "Information v 0.2.1" box. False when the file is missing, a directory, or
    // cannot be read as a mesh (the tree then shows "No Mesh Loaded" and the view its background).
    bool loadMesh (const juce::File& file);

    // Reads the current file again as loadMesh does, but keeps the camera and, where an object with the
    // same path of names is there again, the selection; no information box. False without a file.
    bool reload();

    // Beyond the load: what the keys of the main panel ask for.
    void frameSelection();                 // the selected object with its subtree, or everything
    void resetCamera();                    // back to where the last load put it
    void toggleWireframe();
    void toggleOverlay();
    void zoomSteps (int notches);          // as many wheel notches, away from the user when positive
    void savePicture();                    // the next frame as name-N.png beside the file

    // Selects the object's row as a click on it would (opening the rows above it), or, for an object
    // without a row (a sibling of the root), highlights it alone; nullptr changes nothing.
    void selectObject (const MshObject* object);

    const juce::File& getCurrentFile() const noexcept   { return currentFile; }
    bool isWireframe() const noexcept                   { return wireframe; }
    bool isOverlayShown() const noexcept                { return overlayShown; }
    juce::String getNotice() const                      { return noticeText; }
    juce::String getOverlayText() const;

    bool isLoading() const noexcept                     { return loading; }
    bool isMeshLoaded() const noexcept                  { return meshLoaded; }
    const MshMesh& getMesh() const noexcept             { return *mesh; }
    const ViewCamera& getCamera() const noexcept        { return camera; }
    int getRenderedFrameCount() const noexcept          { return renderedFrames.load(); }
    int getScenesDrawn() const noexcept                 { return scenesDrawn.load(); } // the frames that drew, not copied
    double getLastFrameMilliseconds() const noexcept    { return frameMilliseconds.load(); } // of the scene alone
    bool isDrawing() const noexcept                     { return drawing.load(); }

    static constexpr const char* warningTitle = "WARNING";
    static constexpr const char* warningMessage
        = "Mesh does not seem valid.  Attempting render, but rendering will probobly be incorrect";
    static constexpr const char* informationTitle = "Information v 0.2.1";
    static constexpr const char* informationMessage
        = "Do note, this is in early alpha, all it does is display the polygons using a default rainbow texture."
          "  Matrices are supported and objects appear in their proper places.\n\n Next will be working on"
          " textures and the likes...";

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void resized() override;
    void parentHierarchyChanged() override;

private:
    void newOpenGLContextCreated() override;
    void renderOpenGL() override;
    void openGLContextClosing() override;

    void timerCallback() override;
    void startInteracting();

    bool makeSceneBuffer (int width, int height);
    void deleteSceneBuffer();
    void refreshCaptions (bool sceneChanged = false); // and publishes

    void setTitle (const juce::String& title);
    void dropObjectRows();
    bool read (const juce::File& file, bool reloading);
    MshObject* findSelected() const;
    void selectionChanged();
    void rowSelectionChanged();
    void showNotice (const juce::String& text);
    void writePicture (std::vector<juce::uint8> pixels, int width, int height, const juce::File& meshFile);
    bool takePictures (int width, int height);   // true when it drew over the window's scene
    void frameDrawn (double milliseconds);

    // Text over the frame in a corner, drawn here into pixels the frame lays over its picture.
    struct Caption
    {
        int x = 0, y = 0, width = 0, height = 0;   // in the frame's pixels, y down
        std::vector<juce::uint8> pixels;           // premultiplied BGRA, bottom row first
    };

    std::shared_ptr<const Caption> makeCaption (const juce::String& text, juce::Rectangle<int> area) const;

    // What the next frame draws: the message thread sets it (publish), the frame copies it under the lock.
    struct FrameRequest
    {
        std::shared_ptr<const DrawList> list;
        ViewCamera camera;
        const MshObject* highlighted = nullptr;
        bool wireframe = false, interacting = false;
        juce::uint64 scene = 0;                    // counts changes of anything above but interacting
        std::shared_ptr<const Caption> overlay, notice;
    };

    // An F12 press: the scene shown then, in full, and the file it is named after.
    struct PictureJob
    {
        FrameRequest scene;
        juce::File meshFile;
    };

    // Hands the current state to the frame and asks for one; sceneChanged when what it draws changed.
    void publish (bool sceneChanged);

    // Every how many triangles the request's frame draws: all while no mouse turns it, and for a picture.
    size_t stepFor (const FrameRequest& wanted) const noexcept { return pacing.stepFor (wanted.interacting); }

    // Draws the scene into the bound frame buffer; given up for a newer request, draws that instead.
    // False when the view is closing.
    bool drawScene (FrameRequest& wanted, int width, int height);

    juce::OpenGLContext context;
    ViewCamera camera;
    std::shared_ptr<MshMesh> mesh = std::make_shared<MshMesh>();
    std::shared_ptr<const DrawList> drawList;
    bool meshLoaded = false;
    bool loading = false;
    juce::TreeView* const treeView;
    MeshRootItem rootItem;
    std::unique_ptr<ObjectTreeItem> objectRootItem;
    juce::String pendingTitle; // a title set before the view was in its window
    std::atomic<int> renderedFrames { 0 }, scenesDrawn { 0 };
    std::function<void()> onRowSelection { [this] { rowSelectionChanged(); } };

    juce::File currentFile;
    ViewCamera loadedCamera;                    // where the last load put the camera
    MshTotals totals;                           // of everything drawn, at the last load
    double loadMilliseconds = 0;
    std::atomic<double> frameMilliseconds { 0 };
    bool wireframe = false, interacting = false, overlayShown = false;
    juce::String noticeText, shownOverlayText;
    std::shared_ptr<const Caption> overlayCaption, noticeCaption;
    const MshObject* highlighted = nullptr;
    MshObject* highlightedWithoutRow = nullptr; // a root sibling picked in the view

    std::mutex requestLock;                     // held only to copy a request in or out
    FrameRequest request;
    std::vector<PictureJob> pictureJobs;        // taken by the next frame
    std::atomic<juce::uint64> sceneCount { 0 };
    std::atomic<bool> closing { false };        // the frame gives up at once
    std::atomic<bool> drawing { false };        // a scene is being drawn

    // Events the render thread's GLX calls took off the X connection are looked for ten times a second.
    struct QueuedEventsWatch final : public juce::Timer
    {
        std::function<void()> check;
        void timerCallback() override           { check(); }
    } queuedEventsWatch;
    std::atomic<void*> glDisplay { nullptr };
    std::atomic<unsigned long> glWindow { 0 };

    // The render thread's own: the scene buffer and what it holds.
    struct SceneBuffer
    {
        juce::uint32 frameBuffer = 0, colour = 0;
        int width = 0, height = 0;
        juce::uint64 scene = ~juce::uint64();
        size_t step = 0;
    } sceneBuffer;
    FramePacing pacing;
    const DrawList* pacedList = nullptr;
    unsigned int rainbowTexture = 0;           // made by the first frame of a context
    juce::Component::SafePointer<MeshView> safeThis { this }; // made here: copied, not made, on the render thread

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MeshView)
};
