// Tolmar MSH Viewer - the window's content: the object tree, the 3-D view and "Load MSH".
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MainPanel.h"
#include "Layout.h"

MainPanel::MainPanel (const juce::String& commandLine)
{
    setName ("Tolmar MSH Viewer OGL");

    treeView = std::make_unique<juce::TreeView>();
    addAndMakeVisible (treeView.get());

    meshView = std::make_unique<MeshView> (treeView.get(), commandLine);
    addAndMakeVisible (meshView.get());

    loadButton = std::make_unique<juce::TextButton> ("Load MSH", juce::String());
    loadButton->addListener (this);
    addAndMakeVisible (loadButton.get());
}

MainPanel::~MainPanel()
{
    loadButton.reset();
    meshView.reset();
    treeView.reset();
}

void MainPanel::resized()
{
    const auto layout = mainPanelLayout (getWidth(), getHeight());

    if (treeView != nullptr)   treeView->setBounds (layout.tree);
    if (meshView != nullptr)   meshView->setBounds (layout.view);
    if (loadButton != nullptr) loadButton->setBounds (layout.loadButton);
}

void MainPanel::buttonClicked (juce::Button* button)
{
    if (button == loadButton.get())
        chooseAndLoad();
}

void MainPanel::chooseAndLoad()
{
    // No initial folder: the system's dialog starts where it likes, and nothing is remembered.
    juce::FileChooser chooser (chooserTitle, juce::File(), "*.msh");

    if (chooser.browseForFileToOpen())
        loadFile (chooser.getResult());
}

void MainPanel::loadFile (const juce::File& file)
{
    if (! meshView->loadMesh (file))
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, errorTitle, errorMessage, "ok");
}

bool MainPanel::canLoadNow() const
{
    // Not while a load or any of its boxes (or the chooser) is open: the drop would start a load inside it.
    return ! meshView->isLoading() && juce::Component::getCurrentlyModalComponent() == nullptr;
}

bool MainPanel::isInterestedInFileDrag (const juce::StringArray& files)
{
    return files.size() == 1 && ! juce::File (files[0]).isDirectory() && canLoadNow();
}

void MainPanel::filesDropped (const juce::StringArray& files, int, int)
{
    if (isInterestedInFileDrag (files))
        loadFile (juce::File (files[0]));
}
