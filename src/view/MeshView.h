// Tolmar MSH Viewer - the 3-D view: owns the mesh, loads files into it, draws it, turns it with the mouse.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "browser/ObjectTreeItem.h"
#include "msh/MshGeometry.h"
#include "ViewCamera.h"

#include <juce_opengl/juce_opengl.h>

#include <atomic>

// A component with an OpenGL context. Frames are drawn only on demand (a repaint, a resize, an expose) on
// JUCE's render thread while JUCE holds the message-thread lock, so a frame never runs while a load, a
// mouse handler or the tree changes the model or the camera.
class MeshView final : public juce::Component,
                       private juce::OpenGLRenderer
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
    bool isOverlayShown() const noexcept                { return overlay.isVisible(); }
    juce::String getNotice() const                      { return notice.isVisible() ? notice.getText() : juce::String(); }
    juce::String getOverlayText() const                 { return overlay.getText(); }

    bool isLoading() const noexcept                     { return loading; }
    bool isMeshLoaded() const noexcept                  { return meshLoaded; }
    const MshMesh& getMesh() const noexcept             { return mesh; }
    const ViewCamera& getCamera() const noexcept        { return camera; }
    int getRenderedFrameCount() const noexcept          { return renderedFrames.load(); }

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
    void resized() override;
    void parentHierarchyChanged() override;

private:
    void newOpenGLContextCreated() override;
    void renderOpenGL() override;
    void openGLContextClosing() override;

    void setTitle (const juce::String& title);
    void dropObjectRows();
    bool read (const juce::File& file, bool reloading);
    MshObject* findSelected();
    void showNotice (const juce::String& text);
    void writePicture (std::vector<juce::uint8> pixels, int width, int height);

    // Text drawn over the frame in a corner: the information overlay and the short notices.
    struct Caption final : public juce::Component
    {
        void paint (juce::Graphics& g) override;
        juce::String getText() const            { return describe ? describe() : text; }
        juce::String text;
        std::function<juce::String()> describe; // the text anew at every paint, where given
    };

    juce::OpenGLContext context;
    ViewCamera camera;
    MshMesh mesh;
    bool meshLoaded = false;
    bool loading = false;
    juce::TreeView* const treeView;
    MeshRootItem rootItem;
    std::unique_ptr<ObjectTreeItem> objectRootItem;
    juce::String pendingTitle; // a title set before the view was in its window
    std::atomic<int> renderedFrames { 0 };

    juce::File currentFile;
    ViewCamera loadedCamera;                    // where the last load put the camera
    MshTotals totals;                           // of everything drawn, at the last load
    double loadMilliseconds = 0;
    std::atomic<double> frameMilliseconds { 0 };
    bool wireframe = false;
    bool pictureWanted = false;
    MshObject* highlightedWithoutRow = nullptr; // a root sibling picked in the view
    Caption overlay, notice;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MeshView)
};
