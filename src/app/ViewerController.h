// Tolmar MSH Viewer - what the viewer does with a file: loads it, and decides what that shows the user.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "browser/ObjectTree.h"
#include "document/FileWatch.h"
#include "document/MeshDocument.h"
#include "view/MeshView.h"

// Owns the open document and the one selection. A load puts the mesh in the view and its rows in the
// tree, shows the boxes the load calls for and names the file in the window's title; a pick in the view
// or a row chosen in the tree selects, and the view highlights what is selected.
class ViewerController final : private MeshView::Listener,
                               private juce::ComponentListener,
                               private juce::Timer
{
public:
    // view and tree are the panel's; the controller fills them but does not own them.
    ViewerController (MeshView& view, juce::TreeView& tree);
    ~ViewerController() override;

    // Reads the file, shows it with the camera its header places, names it in the window title, puts a
    // closed row for the root object in the tree, then shows one "WARNING" box listing every wrong end
    // marker and the "Information v 0.2.1" box. Fails, naming the file and the reason, when the file is
    // missing, a directory, or cannot be read as a mesh: the tree then shows "No Mesh Loaded" and the
    // view its background, but the file is remembered for reload and openNeighbour.
    Expected<void> load (const juce::File& file);

    // load, and the "ERROR" box with the reason when it fails.
    void open (const juce::File& file);

    // Reads the current file again as load does, but keeps the camera and, where an object with the same
    // path of names is there again, the selection; no information box but a "reloaded" notice. A failure
    // keeps what is shown, says why in the title and in the "ERROR" box. Quiet, there are no boxes: the
    // notice gives the warnings, the title the failure.
    Expected<void> reload (bool quiet = false);

    // Opens the .msh file after (direction 1) or before (-1) the current one's place in its folder,
    // passing over what cannot be opened; notices say what was passed over and when there is no more.
    void openNeighbour (int direction);

    // Reloads the file whenever it has changed on disk and a writer seems done with it.
    void setWatching (bool shouldWatch);
    bool isWatching() const noexcept                    { return isTimerRunning(); }

    // Selects the object's row as a click on it would (opening the rows above it), or, for an object
    // without a row (a sibling of the root), highlights it alone; nullptr changes nothing.
    void select (const MshObject* object);

    void frameSelection();                 // the selected object with its subtree, or everything
    void hideSelected();                   // the selected object and its subtree neither drawn nor picked
    void showEverything();                 // what was hidden, drawn again
    void toggleStyle (bool DrawStyle::*part, const juce::String& name); // on or off, said in a notice
    void savePicture();                    // what is shown now, as name-N.png beside its file

    const MeshDocument& getDocument() const noexcept    { return document; }
    const MshObject* getSelected() const noexcept       { return selected; }
    bool isMeshLoaded() const noexcept                  { return document.isLoaded(); }
    bool isLoading() const noexcept                     { return loading; }

    static constexpr const char* warningTitle = "WARNING";
    static constexpr const char* warningMessage
        = "Mesh does not seem valid.  Attempting render, but rendering will probobly be incorrect";
    static const juce::String informationTitle;          // "Information v " and the version
    static constexpr const char* informationMessage
        = "Do note, this is in early alpha, all it does is display the polygons using a default rainbow texture."
          "  Matrices are supported and objects appear in their proper places.\n\n Next will be working on"
          " textures and the likes...";
    static constexpr const char* errorTitle = "ERROR";
    static constexpr const char* errorMessage = "Could not load .msh file.";

    // The "ERROR" box's text for a failed load: errorMessage, then the file and why.
    static juce::String errorText (const Failure& failure)     { return errorMessage + juce::String ("\n\n") + failure.message; }

private:
    Expected<void> read (const juce::File& file, bool reloading);
    void showWarnings (const std::vector<MshWarning>& warnings);
    juce::String applicationName() const;
    void rowSelected (const MshObject& object, bool isNowSelected);
    void setSelected (const MshObject* object);
    void setTitle (const juce::String& title);
    void updateOverlay();

    void objectPicked (const MshObject* object) override;
    void pictureTaken (std::vector<juce::uint8> rgba, int width, int height, const juce::File& meshFile) override;
    void componentParentHierarchyChanged (juce::Component& component) override;
    void timerCallback() override;

    MeshView& view;
    juce::TreeView& treeView;
    MeshDocument document;
    ObjectTree rows;
    const MshObject* selected = nullptr;
    bool loading = false;
    bool quietly = false;                        // reloading for the watch: no boxes
    FileWatch watch;
    juce::String pendingTitle;                   // a title set before the view was in its window

    JUCE_DECLARE_NON_COPYABLE (ViewerController)
};
