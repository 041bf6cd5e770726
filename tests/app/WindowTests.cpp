// Tolmar MSH Viewer - the main window and panel as built on a real display: geometry, states, drops.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "app/CommandLine.h"
#include "app/Layout.h"
#include "app/MainWindow.h"
#include "gui/GuiTestSupport.h"
#include "msh/MshWriter.h"
#include "tools/SampleMeshes.h"

namespace
{
    struct ShownWindow
    {
        ShownWindow()
        {
            window.centreWithSize (750, 550);
            window.setVisible (true);
            window.toFront (true);
            pump (100);
        }

        MainPanel& panel() { return *window.getPanel(); }

        MainWindow window { {} };
    };

    void doubleClick (juce::Component& component, juce::Point<int> position)
    {
        const auto left = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier);
        sendMouse (component, position, {});

        for (int i = 0; i < 2; ++i)
        {
            sendMouse (component, position, left);
            sendMouse (component, position, {});
        }

        pump (50);
    }

    void expectPanelLayout (MainPanel& panel, juce::Rectangle<int> tree, juce::Rectangle<int> view, juce::Rectangle<int> button)
    {
        EXPECT_EQ (tree, panel.getTreeView().getBounds());
        EXPECT_EQ (view, panel.getMeshView().getBounds());
        EXPECT_EQ (button, panel.getLoadButton().getBounds());
    }
}

TEST (MainWindowGeometry, AtTheStartSizeTheButtonsAndTheContentSitWhereTheyShould)
{
    ShownWindow shown;
    auto& w = shown.window;

    EXPECT_EQ (juce::String ("Tolmar MSH Viewer"), w.getName());
    EXPECT_EQ (juce::Colour (0xffe6e6fa), w.getBackgroundColour());
    EXPECT_EQ (juce::Rectangle<int> (750, 550), w.getLocalBounds());
    EXPECT_EQ (w.getScreenBounds().getCentre().x, juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea.getCentre().x);
    EXPECT_EQ (5, w.getBorderThickness().getTop());
    EXPECT_EQ (juce::Rectangle<int> (675, 7, 22, 22), w.getMinButton()->getBounds());
    EXPECT_EQ (juce::Rectangle<int> (697, 7, 22, 22), w.getMaxResButton()->getBounds());
    EXPECT_EQ (juce::Rectangle<int> (719, 7, 22, 22), w.getCloseButton()->getBounds());
    EXPECT_EQ (juce::String ("MinButton"), w.getMinButton()->getName());
    EXPECT_EQ (juce::String ("MaxResButton"), w.getMaxResButton()->getName());
    EXPECT_EQ (juce::Rectangle<int> (5, 33, 740, 512), shown.panel().getBounds());

    auto& panel = shown.panel();
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer OGL"), panel.getName());
    EXPECT_EQ (&panel.getTreeView(), panel.getChildComponent (0));
    EXPECT_EQ (&panel.getMeshView(), panel.getChildComponent (1));
    EXPECT_EQ (&panel.getLoadButton(), panel.getChildComponent (2));
    EXPECT_EQ (juce::String ("Load MSH"), panel.getLoadButton().getButtonText());
    expectPanelLayout (panel, { 5, 35, 250, 472 }, { 260, 35, 480, 472 }, { 660, 5, 75, 25 });

    // Escape does not close; Alt+F4 reaches the close button; limits hold any resize.
    auto* close = w.getCloseButton();
    EXPECT_TRUE (close->isRegisteredForShortcut (juce::KeyPress (juce::KeyPress::F4Key, juce::ModifierKeys::altModifier, 0)));
    EXPECT_FALSE (close->isRegisteredForShortcut (juce::KeyPress (juce::KeyPress::escapeKey)));
    w.getPeer()->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey));
    pump (50);
    EXPECT_TRUE (w.isVisible());
    EXPECT_FALSE (juce::MessageManager::getInstance()->hasStopMessageBeenSent());
    EXPECT_EQ (300, w.getConstrainer()->getMinimumWidth());
    EXPECT_EQ (300, w.getConstrainer()->getMinimumHeight());
    EXPECT_EQ (99999, w.getConstrainer()->getMaximumWidth());
    EXPECT_EQ (99999, w.getConstrainer()->getMaximumHeight());
}

TEST (MainWindowGeometry, FullScreenAndBackByTheButtonOrADoubleClickHighEnough)
{
    ShownWindow shown;
    auto& w = shown.window;
    const auto before = w.getBounds();

    click (w, w.getMaxResButton()->getBounds().getCentre());
    ASSERT_TRUE (w.isFullScreen());
    const auto width = w.getWidth();
    EXPECT_EQ (3, w.getBorderThickness().getTop());
    EXPECT_EQ (juce::Rectangle<int> (width - 73, 5, 22, 22), w.getMinButton()->getBounds());
    EXPECT_EQ (juce::Rectangle<int> (width - 51, 5, 22, 22), w.getMaxResButton()->getBounds());
    EXPECT_EQ (juce::Rectangle<int> (width - 29, 5, 22, 22), w.getCloseButton()->getBounds());

    click (w, w.getMaxResButton()->getBounds().getCentre());
    EXPECT_FALSE (w.isFullScreen());
    EXPECT_EQ (before, w.getBounds());

    doubleClick (w, { 300, 27 });
    EXPECT_TRUE (w.isFullScreen());
    doubleClick (w, { 300, 27 });
    EXPECT_FALSE (w.isFullScreen());
    EXPECT_EQ (before, w.getBounds());

    doubleClick (w, { 300, 28 });
    EXPECT_FALSE (w.isFullScreen());
}

TEST (MainWindowGeometry, DraggingTheBorderStopsAt300By300)
{
    ShownWindow shown;
    auto& w = shown.window;
    const juce::Point<int> corner (w.getWidth() - 2, w.getHeight() - 2);
    const auto left = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier);

    sendMouse (w, corner, {});
    sendMouse (w, corner, left);
    for (int step = 1; step <= 10; ++step)
        sendMouse (w, corner - juce::Point<int> (100 * step, 100 * step), left);
    sendMouse (w, corner - juce::Point<int> (1000, 1000), {});
    pump (50);

    EXPECT_EQ (300, w.getWidth());
    EXPECT_EQ (300, w.getHeight());
    EXPECT_EQ (juce::Rectangle<int> (5, 33, 290, 262), shown.panel().getBounds());
    expectPanelLayout (shown.panel(), { 5, 35, 250, 222 }, { 260, 35, 30, 222 }, { 210, 5, 75, 25 });

    // Widening widens only the view.
    w.setSize (1000, 300);
    expectPanelLayout (shown.panel(), { 5, 35, 250, 222 }, { 260, 35, 730, 222 }, { 910, 5, 75, 25 });
}

TEST (MainWindowLookAndFeel, TheGlossyLookIsTheDefaultOnlyWhileTheWindowLives)
{
    {
        MainWindow window ({});
        EXPECT_NE (nullptr, dynamic_cast<ShinyLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()));
    }

    // Deleted without its close button (as after the system's quit request): JUCE's own look is back.
    EXPECT_EQ (nullptr, dynamic_cast<ShinyLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()));
}

TEST (CommandLine, TheWholeTextIsOneFileNameMadeAbsolute)
{
    const auto cwd = juce::File ("/work/meshes");
    EXPECT_EQ (juce::String ("/work/meshes/my tank.msh"), fileNameFromCommandLine ({ "my", "tank.msh" }, cwd));
    EXPECT_EQ (juce::String ("/work/meshes/my tank.msh"), fileNameFromCommandLine ({ "my tank.msh" }, cwd));
    EXPECT_EQ (juce::String ("/tmp/a.msh"), fileNameFromCommandLine ({ "  /tmp/a.msh  " }, cwd));
    EXPECT_EQ (juce::String ("/work/meshes/\"q\" x.msh"), fileNameFromCommandLine ({ "\"q\"", "x.msh" }, cwd));
    EXPECT_EQ (juce::String(), fileNameFromCommandLine ({}, cwd));
    EXPECT_EQ (juce::String(), fileNameFromCommandLine ({ " ", "" }, cwd));
}

TEST (MainPanelCommands, ADroppedFileLoadsLikeLoadMshAndOtherDragsAreRefused)
{
    const auto folder = juce::File::createTempFile ("drop-tests");
    folder.createDirectory();
    MshMesh mesh;
    buildSampleMesh (mesh);
    const auto good = folder.getChildFile ("dropped.msh");
    mshWriteToFile (mesh, good);
    const auto bad = folder.getChildFile ("bad.msh");
    ASSERT_TRUE (bad.create()); // empty: exists, cannot be read as a mesh

    ShownWindow shown;
    auto& panel = shown.panel();
    ModalWatcher watcher;

    EXPECT_TRUE (panel.isInterestedInFileDrag ({ good.getFullPathName() }));
    EXPECT_FALSE (panel.isInterestedInFileDrag ({ good.getFullPathName(), bad.getFullPathName() }));
    EXPECT_FALSE (panel.isInterestedInFileDrag ({ folder.getFullPathName() }));

    panel.filesDropped ({ good.getFullPathName() }, 400, 200);
    ASSERT_EQ (1u, watcher.boxes.size());
    EXPECT_EQ (juce::String ("Information v 0.2.1"), watcher.boxes[0].title);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - dropped.msh"), shown.window.getName());

    panel.filesDropped ({ bad.getFullPathName() }, 400, 200);
    ASSERT_EQ (2u, watcher.boxes.size());
    EXPECT_EQ (juce::String ("ERROR"), watcher.boxes[1].title);
    EXPECT_EQ (juce::String ("Could not load .msh file."), watcher.boxes[1].message);
    EXPECT_EQ (juce::MessageBoxIconType::WarningIcon, watcher.boxes[1].icon);
    EXPECT_EQ (juce::StringArray ("ok"), watcher.boxes[1].buttons);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer"), shown.window.getName());
    EXPECT_EQ (juce::String ("__Empty Mesh__"), panel.getTreeView().getRootItem()->getUniqueName());

    folder.deleteRecursively();
}

