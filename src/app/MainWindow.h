// Tolmar MSH Viewer - the main window.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "MainPanel.h"
#include "MinMaxDialogWindow.h"
#include "ShinyLookAndFeel.h"

// Lavender, titled "Tolmar MSH Viewer", resizable by its border from 300 × 300 to 99999 × 99999, holding
// the main panel. While it exists its glossy look is everyone's default. Closing it quits.
class MainWindow final : public MinMaxDialogWindow
{
public:
    explicit MainWindow (const juce::String& fileName, bool watch = false);
    ~MainWindow() override;

    // The close button, Alt+F4 and the system's close request: the default look goes back to JUCE's own
    // and the application is asked to quit (the window is deleted after the message loop).
    void closeButtonPressed() override;

    MainPanel* getPanel() const;

    // With no component focused, keys come to the window: the panel's keys work then too.
    bool keyPressed (const juce::KeyPress& key) override;

    static constexpr juce::uint32 lavender = 0xffe6e6fa;

private:
    ShinyLookAndFeel lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};
