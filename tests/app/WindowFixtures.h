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
    const bool loaded = controller.load (scratch.write ("sample.msh", sampleFileBytes())).ok();
};
