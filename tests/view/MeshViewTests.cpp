// Tolmar MSH Viewer - the real 3-D view in a window: loads, boxes, tree rows, title and what is on screen.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "gui/GuiTestSupport.h"
#include "msh/MshWriter.h"
#include "tools/SampleMeshes.h"
#include "view/MeshView.h"

namespace
{
    const juce::Colour background (204, 0, 102);

    // The view beside its tree, as the main panel holds them.
    struct ViewHost final : public juce::Component
    {
        explicit ViewHost (const juce::String& initialFile = {})
        {
            addAndMakeVisible (tree);
            view = std::make_unique<MeshView> (&tree, initialFile);
            addAndMakeVisible (view.get());
            setSize (500, 300);
        }

        ~ViewHost() override
        {
            view.reset();
        }

        void resized() override
        {
            tree.setBounds (0, 0, 150, getHeight());
            if (view != nullptr)
                view->setBounds (150, 0, getWidth() - 150, getHeight());
        }

        juce::TreeView tree;
        std::unique_ptr<MeshView> view;
    };

    struct Files
    {
        Files()
        {
            folder.createDirectory();
            MshMesh mesh;
            buildSampleMesh (mesh);
            mshWriteToFile (mesh, sample);

            juce::MemoryOutputStream out;
            MshWriter writer (out);
            writer.endMarkerFor = [] (const MshObject& o) { return o.name == "cabin" || o.name == "lamp" ? 7u : MshMarker::objectEnd; };
            writer.mesh (mesh);
            warned.replaceWithData (out.getData(), out.getDataSize());
            empty.create(); // exists, but cannot be read as a mesh
        }

        ~Files() { folder.deleteRecursively(); }

        juce::File folder = juce::File::createTempFile ("view-tests");
        juce::File sample = folder.getChildFile ("sample.msh");
        juce::File warned = folder.getChildFile ("warned.msh");
        juce::File empty = folder.getChildFile ("empty.msh");
    };

    // Waits until the view has drawn a frame after now, then grabs the screen area it covers.
    juce::Image viewOnScreen (MeshView& view)
    {
        const auto before = view.getRenderedFrameCount();
        view.repaint();
        pumpUntil ([&] { return view.getRenderedFrameCount() > before; });
        pump (300);
        return grabScreen().getClippedImage (view.getScreenBounds());
    }
}

TEST (MeshViewInWindow, ALoadShowsTheMeshItsRowAndItsNameThenAFailureClearsThemAll)
{
    Files files;
    ViewHost host;
    TestWindow window (host, 500, 300);
    auto& view = *host.view;
    ModalWatcher watcher;

    // Before anything is loaded: the placeholder row on light blue, the background in the view.
    EXPECT_EQ (juce::String ("__Empty Mesh__"), host.tree.getRootItem()->getUniqueName());
    EXPECT_EQ (juce::Colour (0xffadd8e6), host.tree.findColour (juce::TreeView::backgroundColourId));
    auto shot = viewOnScreen (view);
    ASSERT_TRUE (shot.isValid());
    const auto area = shot.getBounds();
    EXPECT_EQ (area.getWidth() * area.getHeight(), countPixelsNear (shot, area, background, 1));

    ASSERT_TRUE (view.loadMesh (files.sample));
    ASSERT_EQ (1u, watcher.boxes.size());
    EXPECT_EQ (juce::String ("Information v 0.2.1"), watcher.boxes[0].title);
    EXPECT_EQ (juce::String (MeshView::informationMessage), watcher.boxes[0].message);
    EXPECT_EQ (juce::MessageBoxIconType::InfoIcon, watcher.boxes[0].icon);
    EXPECT_EQ (juce::StringArray ("ok"), watcher.boxes[0].buttons);

    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), window.getName());
    auto* row = host.tree.getRootItem();
    ASSERT_NE (nullptr, row);
    EXPECT_EQ (juce::String ("cart_base"), row->getUniqueName());
    EXPECT_FALSE (row->isOpen());
    EXPECT_EQ (1, host.tree.getNumRowsInTree());
    EXPECT_EQ (-21.0f, view.getCamera().distance); // three times word 19 (7) beats word 0 (6)

    shot = viewOnScreen (view);
    const auto backgroundPixels = countPixelsNear (shot, area, background, 1);
    EXPECT_GT (backgroundPixels, area.getWidth() * area.getHeight() / 2) << "the background around the mesh";
    EXPECT_GT (area.getWidth() * area.getHeight() - backgroundPixels, 2000) << "the mesh";

    // Selecting the root row redraws the view at once, the root object reddish and opaque.
    const auto framesBefore = view.getRenderedFrameCount();
    row->setSelected (true, true);
    EXPECT_TRUE (pumpUntil ([&] { return view.getRenderedFrameCount() > framesBefore; }));
    EXPECT_TRUE (view.getMesh().root.selected);

    // A file that cannot be read: background only, the placeholder row, the application's name alone.
    EXPECT_FALSE (view.loadMesh (files.empty));
    EXPECT_EQ (1u, watcher.boxes.size()) << "the view itself shows no error box";
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer"), window.getName());
    EXPECT_EQ (juce::String ("__Empty Mesh__"), host.tree.getRootItem()->getUniqueName());
    EXPECT_FALSE (view.isMeshLoaded());
    shot = viewOnScreen (view);
    EXPECT_EQ (area.getWidth() * area.getHeight(), countPixelsNear (shot, area, background, 1));
}

TEST (MeshViewInWindow, WarningsComeFirstInFileOrderThenTheInformation)
{
    Files files;
    ViewHost host;
    TestWindow window (host, 500, 300);
    ModalWatcher watcher;

    ASSERT_TRUE (host.view->loadMesh (files.warned));
    ASSERT_EQ (3u, watcher.boxes.size());

    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ (juce::String ("WARNING"), watcher.boxes[(size_t) i].title);
        EXPECT_EQ (juce::String ("Mesh does not seem valid.  Attempting render, but rendering will probobly be incorrect"),
                   watcher.boxes[(size_t) i].message);
        EXPECT_EQ (juce::MessageBoxIconType::WarningIcon, watcher.boxes[(size_t) i].icon);
        EXPECT_EQ (juce::StringArray ("ok"), watcher.boxes[(size_t) i].buttons);
    }

    EXPECT_EQ (juce::String ("Information v 0.2.1"), watcher.boxes[2].title);
    EXPECT_TRUE (host.view->isMeshLoaded());
}

TEST (MeshViewInWindow, LoadingAgainRebuildsClosedRowsAndAMissingPathClearsThem)
{
    Files files;
    ViewHost host;
    TestWindow window (host, 500, 300);
    ModalWatcher watcher;
    auto& view = *host.view;

    ASSERT_TRUE (view.loadMesh (files.sample));
    auto* firstRow = host.tree.getRootItem();
    firstRow->setOpen (true);
    firstRow->getSubItem (0)->setSelected (true, true);
    ASSERT_TRUE (view.getMesh().root.firstChild->selected);

    ASSERT_TRUE (view.loadMesh (files.sample));
    EXPECT_EQ (2u, watcher.boxes.size()) << "the information box after every load";
    auto* secondRow = host.tree.getRootItem();
    EXPECT_FALSE (secondRow->isOpen());
    EXPECT_EQ (0, secondRow->getNumSubItems());
    EXPECT_FALSE (view.getMesh().root.firstChild->selected);
    EXPECT_EQ (-21.0f, view.getCamera().distance);

    // A path that is not an existing file: the model is cleared and so are its rows; the title stays.
    EXPECT_FALSE (view.loadMesh (files.folder.getChildFile ("missing.msh")));
    EXPECT_FALSE (view.loadMesh (files.folder));
    EXPECT_EQ (juce::String ("__Empty Mesh__"), host.tree.getRootItem()->getUniqueName());
    EXPECT_TRUE (view.getMesh().root.name.isEmpty());
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), window.getName());
    EXPECT_EQ (2u, watcher.boxes.size());
}

TEST (MeshViewInWindow, AFileGivenAtConstructionNamesTheWindowOnceTheViewIsInIt)
{
    Files files;
    ModalWatcher watcher;
    ViewHost host (files.sample.getFullPathName());
    EXPECT_TRUE (host.view->isMeshLoaded());
    EXPECT_EQ (1u, watcher.boxes.size());

    TestWindow window (host, 500, 300);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), window.getName());

    // A failed load at construction shows nothing.
    ViewHost failed (files.empty.getFullPathName());
    EXPECT_FALSE (failed.view->isMeshLoaded());
    EXPECT_EQ (1u, watcher.boxes.size());
}

TEST (MeshViewInWindow, AViewLeftAloneDrawsNothing)
{
    Files files;
    ViewHost host;
    TestWindow window (host, 500, 300);
    ModalWatcher watcher;
    ASSERT_TRUE (host.view->loadMesh (files.sample));
    viewOnScreen (*host.view);
    pump (500);

    const auto frames = host.view->getRenderedFrameCount();
    pump (1000);
    EXPECT_EQ (frames, host.view->getRenderedFrameCount());

    host.view->repaint();
    EXPECT_TRUE (pumpUntil ([&] { return host.view->getRenderedFrameCount() > frames; }));
}
