// Tolmar MSH Viewer - the window's content: the object tree, the 3-D view and "Load MSH".
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "view/MeshView.h"

#include <juce_gui_basics/juce_gui_basics.h>

class MainPanel final : public juce::Component,
                        public juce::FileDragAndDropTarget,
                        private juce::Button::Listener
{
public:
    // commandLine goes to the 3-D view, which loads it when it is not empty.
    explicit MainPanel (const juce::String& commandLine);
    ~MainPanel() override;

    void resized() override;

    // "Load MSH": a file chooser for one *.msh file, then loadFile; cancelling changes nothing.
    void chooseAndLoad();

    // Loads a file into the view; a failure shows "ERROR" / "Could not load .msh file.".
    void loadFile (const juce::File& file);

    // Dropping one file onto the window loads it as "Load MSH" would; anything else is refused.
    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    // The viewer's keys (H or F1 lists them); false for any other key, which goes on to the window.
    bool keyPressed (const juce::KeyPress& key) override;

    juce::TreeView& getTreeView() const noexcept        { return *treeView; }
    MeshView& getMeshView() const noexcept              { return *meshView; }
    juce::TextButton& getLoadButton() const noexcept    { return *loadButton; }

    static constexpr const char* chooserTitle = "Please select the .msh you want to load...";
    static constexpr const char* errorTitle = "ERROR";
    static constexpr const char* errorMessage = "Could not load .msh file.";

private:
    void buttonClicked (juce::Button* button) override;
    bool canLoadNow() const;
    void repaintWindowNowAndSoon();

    // Created in this order and destroyed in the reverse: the view goes while its tree still exists.
    std::unique_ptr<juce::TreeView> treeView;
    std::unique_ptr<MeshView> meshView;
    std::unique_ptr<juce::TextButton> loadButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainPanel)
};
