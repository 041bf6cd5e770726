// Tolmar MSH Viewer - the main window on a real display, empty or with the sample loaded.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "app/MainWindow.h"
#include "GuiTestSupport.h"
#include "msh/TestSupport.h"
#include "view/MeshView.h"

struct ShownWindow
{
    using R = juce::Rectangle<int>;

    explicit ShownWindow (const juce::String& fileName = {}, bool watch = false) : window (fileName, watch)
    {
        window.centreWithSize (750, 550);
        window.setVisible (true);
        window.toFront (true);
        pump (100);
    }

    MainPanel& panel() { return *window.getPanel(); }
    std::array<R, 3> buttons() { return { window.getMinButton()->getBounds(), window.getMaxResButton()->getBounds(), window.getCloseButton()->getBounds() }; }
    std::array<R, 4> layout() { return { panel().getBounds(), panel().getTreeView().getBounds(), panel().getMeshView().getBounds(), panel().getLoadButton().getBounds() }; }

    MainWindow window;
};

// The window with the sample loaded, its information box answered.
class LoadedWindow : public ::testing::Test
{
protected:
    void SetUp() override   { ASSERT_TRUE (loaded); }

    ScratchFolder scratch;
    ShownWindow shown;
    MeshView& view = shown.panel().getMeshView();
    juce::TreeView& tree = shown.panel().getTreeView();
    ViewerController& controller = shown.panel().getController();
    ModalWatcher watcher;
    const double loadStarted = juce::Time::getMillisecondCounterHiRes();
    const bool loaded = controller.load (scratch.write ("sample.msh", sampleFileBytes())).ok();
    const double loadMs = juce::Time::getMillisecondCounterHiRes() - loadStarted;

    // A key as the window's peer hands it over, then a moment for what it asks.
    void press (const juce::KeyPress& key)   { shown.window.getPeer()->handleKeyPress (key); pump (30); }

    // Whether the key made the view draw its scene again (not only copy it) within ms.
    bool redraws (const juce::KeyPress& key, int ms = 2000)
    {
        const auto scenes = view.getScenesDrawn();
        press (key);
        return pumpUntil ([&] { return view.getScenesDrawn() > scenes; }, ms);
    }

    // Until the view has drawn no scene for 300 ms.
    void waitUntilStill()
    {
        for (int tries = 0, scenes = -1; tries < 10 && scenes != view.getScenesDrawn(); ++tries)
        {
            scenes = view.getScenesDrawn();
            pump (300);
        }
    }
};
