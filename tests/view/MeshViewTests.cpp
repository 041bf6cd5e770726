// Tolmar MSH Viewer - the real 3-D view in a window: loads, boxes, tree rows, title, mouse and screen.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "gui/GuiTestSupport.h"
#include "msh/TestSupport.h"
#include "view/MeshView.h"

namespace
{
    // The view beside its tree, as the main panel holds them, in a window; and the files it loads.
    struct ViewHost final : public juce::Component
    {
        explicit ViewHost (const juce::String& initialFile = {}) : view (&tree, initialFile)
        {
            addAndMakeVisible (tree);
            addAndMakeVisible (view);
            setSize (500, 300);
        }

        void resized() override
        {
            tree.setBounds (getLocalBounds().removeFromLeft (150));
            view.setBounds (getLocalBounds().withTrimmedLeft (150));
        }

        // The share of the view's pixels on screen in the background colour, once a frame asked for now is drawn.
        float backgroundShare()
        {
            const auto before = view.getRenderedFrameCount();
            view.repaint();
            pumpUntil ([&] { return view.getRenderedFrameCount() > before; });
            pump (300);
            const auto shot = grabScreen().getClippedImage (view.getScreenBounds());
            return (float) countPixelsNear (shot, shot.getBounds(), juce::Colour (204, 0, 102), 1) / (float) (shot.getWidth() * shot.getHeight());
        }

        juce::String rootRow() { return tree.getRootItem()->getUniqueName(); }

        juce::TreeView tree;
        MeshView view;
    };

    // The sample, the sample with two wrong end markers, and a file that exists but is no mesh.
    struct Files : ScratchFolder
    {
        Files()
        {
            MshMesh mesh;
            buildSampleMesh (mesh);
            juce::MemoryOutputStream out;
            MshWriter writer (out);
            writer.endMarkerFor = [] (const MshObject& o) { return o.name == "cabin" || o.name == "lamp" ? 7u : MshMarker::objectEnd; };
            writer.mesh (mesh);
            warned = write ("warned.msh", out.getMemoryBlock());
            sample = write ("sample.msh", mshWriteToMemory (mesh));
        }

        juce::File sample, warned, empty = write ("empty.msh", {});
    };
}

TEST (MeshViewInWindow, ALoadShowsTheMeshItsRowItsNameAndTheBoxAndAFailureClearsThemAll)
{
    Files files;
    ViewHost host;
    TestWindow window (host, 500, 300);
    auto& view = host.view;
    ModalWatcher watcher;
    EXPECT_EQ (juce::String ("__Empty Mesh__"), host.rootRow());
    EXPECT_EQ (juce::Colour (0xffadd8e6), host.tree.findColour (juce::TreeView::backgroundColourId));
    EXPECT_EQ (1.0f, host.backgroundShare());

    ASSERT_TRUE (view.loadMesh (files.sample));
    ASSERT_EQ (1u, watcher.boxes.size());
    const ModalWatcher::Box information { "Information v 0.2.1", MeshView::informationMessage, juce::MessageBoxIconType::InfoIcon, { "ok" } };
    EXPECT_EQ (information, watcher.boxes[0]);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), window.getName());
    EXPECT_EQ (juce::String ("cart_base"), host.rootRow());
    EXPECT_FALSE (host.tree.getRootItem()->isOpen());
    EXPECT_EQ (1, host.tree.getNumRowsInTree());
    EXPECT_EQ (-21.0f, view.getCamera().distance) << "three times word 19 (7) beats word 0 (6)";
    const auto share = host.backgroundShare();
    EXPECT_TRUE (share > 0.5f && share < 0.97f) << share;

    // Selecting the root row redraws the view at once, with the root object highlighted.
    const auto framesBefore = view.getRenderedFrameCount();
    host.tree.getRootItem()->setSelected (true, true);
    EXPECT_TRUE (pumpUntil ([&] { return view.getRenderedFrameCount() > framesBefore; }, 2000));
    EXPECT_TRUE (view.getMesh().root.selected);

    // A left drag of 50 pixels to the right turns the scene 10 degrees.
    const auto middle = view.getLocalBounds().getCentre();
    sendMouse (view, middle, juce::ModifierKeys::leftButtonModifier);
    sendMouse (view, middle + juce::Point<int> (50, 0), juce::ModifierKeys::leftButtonModifier);
    sendMouse (view, middle + juce::Point<int> (50, 0), {});
    EXPECT_EQ (10.0f, view.getCamera().rotation[1]);

    // A file that cannot be read: background only, the placeholder row, the application's name alone,
    // and no box from the view itself.
    EXPECT_FALSE (view.loadMesh (files.empty));
    EXPECT_EQ (1u, watcher.boxes.size());
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer"), window.getName());
    EXPECT_EQ (juce::String ("__Empty Mesh__"), host.rootRow());
    EXPECT_EQ (1.0f, host.backgroundShare());
}

TEST (MeshViewInWindow, WarningsComeFirstAndEachLoadRebuildsClosedRowsWhileAMissingPathClearsThem)
{
    Files files;
    ViewHost host;
    TestWindow window (host, 500, 300);
    ModalWatcher watcher;
    auto& view = host.view;

    ASSERT_TRUE (view.loadMesh (files.warned));
    ASSERT_EQ (3u, watcher.boxes.size());
    const ModalWatcher::Box warning { "WARNING", "Mesh does not seem valid.  Attempting render, but rendering will probobly be incorrect",
                                      juce::MessageBoxIconType::WarningIcon, { "ok" } };
    EXPECT_EQ (warning, watcher.boxes[0]);
    EXPECT_EQ (warning, watcher.boxes[1]);
    EXPECT_EQ (juce::String ("Information v 0.2.1"), watcher.boxes[2].title);

    host.tree.getRootItem()->setOpen (true);
    host.tree.getRootItem()->getSubItem (0)->setSelected (true, true);
    ASSERT_TRUE (view.getMesh().root.firstChild->selected);

    ASSERT_TRUE (view.loadMesh (files.sample));
    EXPECT_EQ (4u, watcher.boxes.size()) << "the information box after every load";
    EXPECT_FALSE (host.tree.getRootItem()->isOpen());
    EXPECT_EQ (0, host.tree.getRootItem()->getNumSubItems());
    EXPECT_FALSE (view.getMesh().root.firstChild->selected);

    // Not an existing file: the model is cleared and its rows go with it; the title stays.
    for (auto& path : { files.folder.getChildFile ("missing.msh"), files.folder })
        EXPECT_FALSE (view.loadMesh (path));
    EXPECT_EQ (juce::String ("__Empty Mesh__"), host.rootRow());
    EXPECT_TRUE (view.getMesh().root.name.isEmpty());
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), window.getName());
    EXPECT_EQ (4u, watcher.boxes.size());
}

TEST (MeshViewInWindow, AFileGivenAtConstructionNamesTheWindowAndALoneViewDrawsNothing)
{
    Files files;
    ModalWatcher watcher;
    ViewHost failed (files.empty.getFullPathName()); // a failed load at construction shows nothing
    EXPECT_FALSE (failed.view.isMeshLoaded());
    EXPECT_TRUE (watcher.boxes.empty());

    ViewHost host (files.sample.getFullPathName());
    EXPECT_TRUE (host.view.isMeshLoaded());
    EXPECT_EQ (1u, watcher.boxes.size());
    TestWindow window (host, 500, 300);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), window.getName());

    host.backgroundShare();
    pump (500);
    const auto frames = host.view.getRenderedFrameCount();
    pump (1000);
    EXPECT_EQ (frames, host.view.getRenderedFrameCount()) << "no frame without a reason";
}
