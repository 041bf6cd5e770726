// Tolmar MSH Viewer - the real 3-D view in a window: loads, boxes, tree rows, title and what is on screen.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "gui/GuiTestSupport.h"
#include "msh/MshWriter.h"
#include "tools/SampleMeshes.h"
#include "view/MeshView.h"

namespace
{
    const juce::Colour background (204, 0, 102);

    // The view beside its tree, as the main panel holds them, in a window.
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

        juce::TreeView tree;
        MeshView view;
    };

    struct Files
    {
        Files()
        {
            folder.createDirectory();
            MshMesh mesh;
            buildSampleMesh (mesh);
            mshWriteToFile (mesh, sample);
            juce::FileOutputStream out (warned);
            MshWriter writer (out);
            writer.endMarkerFor = [] (const MshObject& o) { return o.name == "cabin" || o.name == "lamp" ? 7u : MshMarker::objectEnd; };
            writer.mesh (mesh);
            empty.create(); // exists, but cannot be read as a mesh
        }

        ~Files() { folder.deleteRecursively(); }

        juce::File folder = juce::File::createTempFile ("view-tests");
        juce::File sample = folder.getChildFile ("sample.msh"), warned = folder.getChildFile ("warned.msh"),
                   empty = folder.getChildFile ("empty.msh");
    };

    // Background pixels of the view on screen once it has drawn a frame asked for now, and its area.
    std::pair<int, int> backgroundOnScreen (MeshView& view)
    {
        const auto before = view.getRenderedFrameCount();
        view.repaint();
        pumpUntil ([&] { return view.getRenderedFrameCount() > before; });
        pump (300);
        const auto shot = grabScreen().getClippedImage (view.getScreenBounds());
        return { countPixelsNear (shot, shot.getBounds(), background, 1), shot.getWidth() * shot.getHeight() };
    }

    juce::String rootRowName (juce::TreeView& tree)    { return tree.getRootItem()->getUniqueName(); }
}

TEST (MeshViewInWindow, ALoadShowsTheMeshItsRowAndItsNameAndAFailureClearsThemAll)
{
    Files files;
    ViewHost host;
    TestWindow window (host, 500, 300);
    auto& view = host.view;
    ModalWatcher watcher;

    EXPECT_EQ (juce::String ("__Empty Mesh__"), rootRowName (host.tree));
    EXPECT_EQ (juce::Colour (0xffadd8e6), host.tree.findColour (juce::TreeView::backgroundColourId));
    auto [plain, area] = backgroundOnScreen (view);
    EXPECT_EQ (area, plain) << "background only";

    ASSERT_TRUE (view.loadMesh (files.sample));
    ASSERT_EQ (1u, watcher.boxes.size());
    EXPECT_EQ (juce::String ("Information v 0.2.1"), watcher.boxes[0].title);
    EXPECT_EQ (juce::String (MeshView::informationMessage), watcher.boxes[0].message);
    EXPECT_EQ (juce::MessageBoxIconType::InfoIcon, watcher.boxes[0].icon);
    EXPECT_EQ (juce::StringArray ("ok"), watcher.boxes[0].buttons);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), window.getName());
    EXPECT_EQ (juce::String ("cart_base"), rootRowName (host.tree));
    EXPECT_FALSE (host.tree.getRootItem()->isOpen());
    EXPECT_EQ (1, host.tree.getNumRowsInTree());
    EXPECT_EQ (-21.0f, view.getCamera().distance) << "three times word 19 (7) beats word 0 (6)";
    const auto [withMesh, sameArea] = backgroundOnScreen (view);
    EXPECT_GT (withMesh, sameArea / 2) << "the background around the mesh";
    EXPECT_GT (sameArea - withMesh, 2000) << "the mesh";

    // Selecting the root row redraws the view at once, with the root object highlighted.
    const auto framesBefore = view.getRenderedFrameCount();
    host.tree.getRootItem()->setSelected (true, true);
    EXPECT_TRUE (pumpUntil ([&] { return view.getRenderedFrameCount() > framesBefore; }, 2000));
    EXPECT_TRUE (view.getMesh().root.selected);

    // A file that cannot be read: background only, the placeholder row, the application's name alone,
    // and no box from the view itself.
    EXPECT_FALSE (view.loadMesh (files.empty));
    EXPECT_EQ (1u, watcher.boxes.size());
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer"), window.getName());
    EXPECT_EQ (juce::String ("__Empty Mesh__"), rootRowName (host.tree));
    std::tie (plain, area) = backgroundOnScreen (view);
    EXPECT_EQ (area, plain);
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
    for (size_t i = 0; i < 2; ++i)
    {
        EXPECT_EQ (juce::String ("WARNING"), watcher.boxes[i].title);
        EXPECT_EQ (juce::String ("Mesh does not seem valid.  Attempting render, but rendering will probobly be incorrect"),
                   watcher.boxes[i].message);
        EXPECT_EQ (juce::MessageBoxIconType::WarningIcon, watcher.boxes[i].icon);
        EXPECT_EQ (juce::StringArray ("ok"), watcher.boxes[i].buttons);
    }
    EXPECT_EQ (juce::String ("Information v 0.2.1"), watcher.boxes[2].title);

    auto* firstRow = host.tree.getRootItem();
    firstRow->setOpen (true);
    firstRow->getSubItem (0)->setSelected (true, true);
    ASSERT_TRUE (view.getMesh().root.firstChild->selected);

    ASSERT_TRUE (view.loadMesh (files.sample));
    EXPECT_EQ (4u, watcher.boxes.size()) << "the information box after every load";
    EXPECT_FALSE (host.tree.getRootItem()->isOpen());
    EXPECT_EQ (0, host.tree.getRootItem()->getNumSubItems());
    EXPECT_FALSE (view.getMesh().root.firstChild->selected);

    // Not an existing file: the model is cleared and its rows go with it; the title stays.
    EXPECT_FALSE (view.loadMesh (files.folder.getChildFile ("missing.msh")));
    EXPECT_FALSE (view.loadMesh (files.folder));
    EXPECT_EQ (juce::String ("__Empty Mesh__"), rootRowName (host.tree));
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

    backgroundOnScreen (host.view);
    pump (500);
    const auto frames = host.view.getRenderedFrameCount();
    pump (1000);
    EXPECT_EQ (frames, host.view.getRenderedFrameCount()) << "no frame without a reason";
}
