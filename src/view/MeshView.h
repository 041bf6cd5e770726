// Tolmar MSH Viewer - the 3-D view: the document's mesh drawn, turned and moved with the mouse.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "EventLoopGuard.h"
#include "SceneRenderer.h"
#include "browser/ObjectTree.h"
#include "document/MeshDocument.h"

#include <juce_opengl/juce_opengl.h>

// A component with an OpenGL context whose frames the scene renderer draws on demand on JUCE's render
// thread. The view owns the document it shows, puts its rows in the tree, shows the boxes of a load and
// names the file in the window title; the mouse turns, moves and zooms the camera and picks objects.
class MeshView final : public juce::Component,
                       private juce::OpenGLRenderer,
                       private juce::Timer
{
public:
    // treeView is the main panel's; the view installs its rows there but does not own it. A non-empty
    // initialFile is loaded at once (its result is not looked at).
    MeshView (juce::TreeView* treeView, const juce::String& initialFile);
    ~MeshView() override;

    // Resets the camera, reads the file (then a "WARNING" box for each wrong end marker), places the
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
    void savePicture();                    // what is shown now, as name-N.png beside its file

    // Selects the object's row as a click on it would (opening the rows above it), or, for an object
    // without a row (a sibling of the root), highlights it alone; nullptr changes nothing.
    void selectObject (const MshObject* object);

    const MeshDocument& getDocument() const noexcept    { return document; }
    const juce::File& getCurrentFile() const noexcept   { return document.getFile(); }
    const MshMesh& getMesh() const noexcept             { return *document.getMesh(); }
    bool isMeshLoaded() const noexcept                  { return meshLoaded; }
    bool isLoading() const noexcept                     { return loading; }
    bool isWireframe() const noexcept                   { return wireframe; }
    bool isOverlayShown() const noexcept                { return overlayShown; }
    const ViewCamera& getCamera() const noexcept        { return camera; }
    juce::String getNotice() const                      { return noticeText; }
    juce::String getOverlayText() const;
    int getRenderedFrameCount() const noexcept          { return renderer.getRenderedFrameCount(); }
    int getScenesDrawn() const noexcept                 { return renderer.getScenesDrawn(); } // the frames that drew, not copied
    double getLastFrameMilliseconds() const noexcept    { return frameMilliseconds.load(); } // of the scene alone
    bool isDrawing() const noexcept                     { return renderer.isDrawing(); }

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

    bool read (const juce::File& file, bool reloading);
    void startInteracting();
    void publish (bool sceneChanged);
    void refreshCaptions (bool sceneChanged = false);   // and publishes
    void setTitle (const juce::String& title);
    void selectionChanged();
    void showNotice (const juce::String& text);
    void frameDrawn (double milliseconds);

    juce::Component::SafePointer<MeshView> safeThis { this }; // made here, before the renderer that copies it
    juce::OpenGLContext context;
    MeshDocument document;
    SceneRenderer renderer;
    EventLoopGuard eventLoop;
    ViewCamera camera, loadedCamera;             // now, and where the last load put it
    std::shared_ptr<const DrawList> drawList;
    bool meshLoaded = false, loading = false;
    bool wireframe = false, interacting = false, overlayShown = false;
    juce::TreeView* const treeView;
    ObjectTree rows;
    juce::String pendingTitle;                   // a title set before the view was in its window
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
