// Tolmar MSH Viewer - the window's content: the object tree, the 3-D view and "Load MSH".
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "ViewerController.h"

#include <juce_gui_basics/juce_gui_basics.h>

class MainPanel final : public juce::Component,
                        public juce::FileDragAndDropTarget,
                        private juce::Button::Listener
{
public:
    // A file named on the command line is loaded at once; when it fails, the "ERROR" box says why once the
    // window is up, and so does standard error. With watch, the file is reloaded whenever it changes.
    explicit MainPanel (const juce::String& fileName, bool watch = false);
    ~MainPanel() override;

    void resized() override;

    // "Load MSH": a file chooser for one *.msh file, then loadFile; cancelling changes nothing.
    void chooseAndLoad();


    // Dropping one file onto the window loads it as "Load MSH" would; anything else is refused.
    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    // The viewer's keys (H or F1 lists them), and the arrow keys for the tree whatever has the focus;
    // false for any other key, which goes on to the window.
    bool keyPressed (const juce::KeyPress& key) override;

    juce::TreeView& getTreeView() const noexcept        { return *treeView; }
    MeshView& getMeshView() const noexcept              { return *meshView; }
    ViewerController& getController() const noexcept    { return *controller; }
    juce::TextButton& getLoadButton() const noexcept    { return *loadButton; }

    static constexpr const char* chooserTitle = "Please select the .msh you want to load...";

private:
    void buttonClicked (juce::Button* button) override;
    bool canLoadNow() const;
    void repaintWindowNowAndSoon();

    // Created in this order and destroyed in the reverse: the controller goes while its view and tree
    // still exist.
    std::unique_ptr<juce::TreeView> treeView;
    std::unique_ptr<MeshView> meshView;
    std::unique_ptr<ViewerController> controller;
    std::unique_ptr<juce::TextButton> loadButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainPanel)
};
