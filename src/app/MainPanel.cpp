// Tolmar MSH Viewer - the window's content: the object tree, the 3-D view and "Load MSH".
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MainPanel.h"
#include "Layout.h"
#include "ViewerKeys.h"

#include <iostream>

MainPanel::MainPanel (const juce::String& fileName, bool watch)
{
    setName ("Tolmar MSH Viewer OGL");

    treeView = std::make_unique<juce::TreeView>();
    addAndMakeVisible (treeView.get());

    meshView = std::make_unique<MeshView>();
    addAndMakeVisible (meshView.get());
    controller = std::make_unique<ViewerController> (*meshView, *treeView);

    loadButton = std::make_unique<juce::TextButton> ("Load MSH", juce::String());
    loadButton->addListener (this);
    addAndMakeVisible (loadButton.get());

    if (fileName.isEmpty())
        return;

    if (const auto loaded = controller->load (juce::File::getCurrentWorkingDirectory().getChildFile (fileName)); ! loaded)
    {
        std::cerr << "Tolmar MSH Viewer: " << loaded.message() << std::endl;
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, ViewerController::errorTitle,
                                                ViewerController::errorText (loaded.failure()), "ok");
    }

    controller->setWatching (watch);
}

MainPanel::~MainPanel()
{
    loadButton.reset();
    controller.reset();
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
    juce::File chosen;

    {
        // No initial folder: the system's dialog starts where it likes, and nothing is remembered.
        juce::FileChooser chooser (chooserTitle, juce::File(), "*.msh");

        if (! chooser.browseForFileToOpen())
            return;

        chosen = chooser.getResult();
    }

    // The chooser is gone: what it covered is painted again before a box of the load can open over it, and
    // once more a little later for the 3-D view, whose frames went to a window the chooser still covered.
    repaintWindowNowAndSoon();

    controller->open (chosen);
}

void MainPanel::repaintWindowNowAndSoon()
{
    if (auto* peer = getPeer())
    {
        getTopLevelComponent()->repaint();
        peer->performAnyPendingRepaintsNow();
    }

    for (const int delay : { 150, 600 })
    {
        juce::Timer::callAfterDelay (delay, [safe = juce::Component::SafePointer<MainPanel> (this)]
        {
            if (safe != nullptr)
            {
                safe->getTopLevelComponent()->repaint();
                safe->meshView->repaint(); // the window's repaint alone does not ask the GL view for a frame
            }
        });
    }
}

bool MainPanel::canLoadNow() const
{
    // Not while a load or any of its boxes (or the chooser) is open: the drop would start a load inside it.
    return ! controller->isLoading() && juce::Component::getCurrentlyModalComponent() == nullptr;
}

bool MainPanel::isInterestedInFileDrag (const juce::StringArray& files)
{
    return files.size() == 1 && ! juce::File (files[0]).isDirectory() && canLoadNow();
}

void MainPanel::filesDropped (const juce::StringArray& files, int, int)
{
    if (isInterestedInFileDrag (files))
        controller->open (juce::File (files[0]));
}

bool MainPanel::keyPressed (const juce::KeyPress& key)
{
    // A click in the view takes the keyboard focus for the viewer's keys; the arrow keys stay the tree's.
    using K = juce::KeyPress;

    if (const auto code = key.getKeyCode(); code == K::upKey || code == K::downKey || code == K::leftKey || code == K::rightKey)
        return ! treeView->hasKeyboardFocus (true) && treeView->keyPressed (key);

    switch (viewerCommandFor (key))
    {
        case ViewerCommand::none:         return false;
        case ViewerCommand::help:         juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::NoIcon, keysHelpTitle, keysHelpText, "ok"); // an icon would cover its first lines break;
        case ViewerCommand::frame:        controller->frameSelection(); break;
        case ViewerCommand::home:         meshView->resetCamera(); break;
        case ViewerCommand::wireframe:    meshView->toggleWireframe(); break;
        case ViewerCommand::overlay:      meshView->toggleOverlay(); break;
        case ViewerCommand::headlight:    controller->toggleStyle (&DrawStyle::headlight, "light at the eye"); break;
        case ViewerCommand::hulls:        controller->toggleStyle (&DrawStyle::hullsAsWireframe, "collision hulls as wireframe"); break;
        case ViewerCommand::hide:         controller->hideSelected(); break;
        case ViewerCommand::showAll:      controller->showEverything(); break;
        case ViewerCommand::picture:      controller->savePicture(); break;
        case ViewerCommand::zoomIn:       meshView->zoomSteps (-3); break;
        case ViewerCommand::zoomOut:      meshView->zoomSteps (3); break;
        case ViewerCommand::open:         chooseAndLoad(); break;
        case ViewerCommand::reload:       (void) controller->reload(); break;
        case ViewerCommand::watch:
            controller->setWatching (! controller->isWatching());
            meshView->showNotice (controller->isWatching() ? "watching the file: reloaded when it changes" : "no longer watching the file");
            break;
        case ViewerCommand::nextFile:     controller->openNeighbour (1); break;
        case ViewerCommand::previousFile: controller->openNeighbour (-1); break;

        case ViewerCommand::quit:
            if (auto* window = dynamic_cast<juce::DocumentWindow*> (getTopLevelComponent()))
                window->closeButtonPressed();
            break;
    }

    return true;
}
