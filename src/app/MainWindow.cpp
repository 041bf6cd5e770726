// Tolmar MSH Viewer - the main window.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MainWindow.h"

MainWindow::MainWindow (const juce::String& fileName, bool watch)
    : MinMaxDialogWindow ("Tolmar MSH Viewer", juce::Colour (lavender), false, true, true)
{
    setResizable (true, false);
    setResizeLimits (300, 300, 99999, 99999);

    // A mesh on the command line is loaded in here, so its boxes come before the window shows.
    setContentOwned (new MainPanel (fileName, watch), false);

    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
}

MainWindow::~MainWindow()
{
    // Every quit route passes here, the system's request that skips the close button too: JUCE must not
    // be left drawing with a look that is about to be destroyed.
    if (&juce::LookAndFeel::getDefaultLookAndFeel() == &lookAndFeel)
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    clearContentComponent();
}

void MainWindow::closeButtonPressed()
{
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    juce::JUCEApplication::quit();
}

MainPanel* MainWindow::getPanel() const
{
    return dynamic_cast<MainPanel*> (getContentComponent());
}

bool MainWindow::keyPressed (const juce::KeyPress& key)
{
    if (auto* panel = getPanel(); panel != nullptr && panel->keyPressed (key))
        return true;

    return MinMaxDialogWindow::keyPressed (key);
}
