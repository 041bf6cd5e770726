// Tolmar MSH Viewer - the real 3-D view in a window: loads, boxes, tree rows, title, mouse and frames.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "gui/GuiTestSupport.h"
#include "msh/TestSupport.h"
#include "view/MeshView.h"

namespace
{
    // The view beside its tree, as the main panel holds them, in a window; the sample, the sample with two
    // wrong end markers, and a file that exists but is no mesh.
    struct ViewHost final : public juce::Component, public ScratchFolder
    {
        explicit ViewHost (bool withSample = false) : view (&tree, withSample ? sample.getFullPathName() : juce::String())
        {
            addAndMakeVisible (tree);
            addAndMakeVisible (view);
        }

        void resized() override
        {
            tree.setBounds (getLocalBounds().removeFromLeft (150));
            view.setBounds (getLocalBounds().withTrimmedLeft (150));
        }

        juce::String rootRow() { return tree.getRootItem()->getUniqueName(); }

        juce::File sample = write ("sample.msh", sampleFileBytes()), empty = write ("empty.msh", {}),
                   warned = write ("warned.msh", sampleFileBytes ([] (const MshObject& o) { return o.name == "cabin" || o.name == "lamp" ? 7u : MshMarker::objectEnd; }));
        ModalWatcher watcher;
        juce::TreeView tree;
        MeshView view;
    };
}

TEST (MeshViewInWindow, ALoadShowsItsRowItsNameAndTheBoxAFailureClearsThemAllAndFramesComeOnlyWhenAsked)
{
    ViewHost host;
    TestWindow window (host, 500, 300);
    auto& view = host.view;
    EXPECT_EQ (juce::String ("__Empty Mesh__"), host.rootRow());
    EXPECT_EQ (juce::Colour (0xffadd8e6), host.tree.findColour (juce::TreeView::backgroundColourId));

    ASSERT_TRUE (view.loadMesh (host.sample));
    ASSERT_EQ (1u, host.watcher.boxes.size());
    EXPECT_EQ ((ModalWatcher::Box { "Information v 0.2.1", MeshView::informationMessage, juce::MessageBoxIconType::InfoIcon, { "ok" } }), host.watcher.boxes[0]);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), window.getName());
    EXPECT_EQ (juce::String ("cart_base"), host.rootRow());
    EXPECT_FALSE (host.tree.getRootItem()->isOpen());
    EXPECT_EQ (-21.0f, view.getCamera().distance) << "three times word 19 (7) beats word 0 (6)";

    // Selecting the root row redraws the view at once, with the root object highlighted; then, left alone,
    // the view draws no more frames.
    auto frames = view.getRenderedFrameCount();
    host.tree.getRootItem()->setSelected (true, true);
    EXPECT_TRUE (pumpUntil ([&] { return view.getRenderedFrameCount() > frames; }, 2000));
    EXPECT_TRUE (view.getMesh().root.selected);
    pump (500);
    frames = view.getRenderedFrameCount();
    pump (1000);
    EXPECT_EQ (frames, view.getRenderedFrameCount()) << "no frame without a reason";

    // A left drag of 50 pixels to the right turns the scene 10 degrees; a notch of the wheel as JUCE
    // reports it on X11 backs off by the Parts' 3.515625 %.
    const auto middle = view.getLocalBounds().getCentre();
    sendMouse (view, middle, juce::ModifierKeys::leftButtonModifier);
    sendMouse (view, middle + juce::Point<int> (50, 0), juce::ModifierKeys::leftButtonModifier);
    sendMouse (view, middle + juce::Point<int> (50, 0), {});
    EXPECT_EQ (10.0f, view.getCamera().rotation[1]);
    juce::MouseWheelDetails notch { 0, 50.0f / 256.0f, false, false, false };
    window.getPeer()->handleMouseWheel (juce::MouseInputSource::InputSourceType::mouse, view.localPointToGlobal (middle).toFloat() - window.getScreenPosition().toFloat(),
                                        juce::Time::currentTimeMillis(), notch);
    EXPECT_EQ (-21.0f * 1.03515625f, view.getCamera().distance);

    // A file that cannot be read: the placeholder row and the application's name alone, no box of the view's.
    EXPECT_FALSE (view.loadMesh (host.empty));
    EXPECT_EQ (1u, host.watcher.boxes.size());
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer"), window.getName());
    EXPECT_EQ (juce::String ("__Empty Mesh__"), host.rootRow());
    EXPECT_FALSE (view.isMeshLoaded());
}

TEST (MeshViewInWindow, WarningsComeFirstEachLoadRebuildsClosedRowsAndAMissingPathClearsThem)
{
    ViewHost host;
    TestWindow window (host, 500, 300);
    auto& view = host.view;
    ASSERT_TRUE (view.loadMesh (host.warned));
    const ModalWatcher::Box warning { "WARNING", "Mesh does not seem valid.  Attempting render, but rendering will probobly be incorrect",
                                      juce::MessageBoxIconType::WarningIcon, { "ok" } };
    ASSERT_EQ (3u, host.watcher.boxes.size());
    EXPECT_TRUE (warning == host.watcher.boxes[0] && warning == host.watcher.boxes[1]);
    EXPECT_EQ (juce::String ("Information v 0.2.1"), host.watcher.boxes[2].title);

    host.tree.getRootItem()->setOpen (true);
    host.tree.getRootItem()->getSubItem (0)->setSelected (true, true);
    ASSERT_TRUE (view.getMesh().root.firstChild->selected);
    ASSERT_TRUE (view.loadMesh (host.sample));
    EXPECT_EQ (4u, host.watcher.boxes.size()) << "the information box after every load";
    EXPECT_TRUE (! host.tree.getRootItem()->isOpen() && host.tree.getRootItem()->getNumSubItems() == 0);
    EXPECT_FALSE (view.getMesh().root.firstChild->selected);

    // Not an existing file: the model is cleared and its rows go with it; the title stays.
    for (auto& path : { host.folder.getChildFile ("missing.msh"), host.folder })
        EXPECT_FALSE (view.loadMesh (path));
    EXPECT_EQ (juce::String ("__Empty Mesh__"), host.rootRow());
    EXPECT_TRUE (view.getMesh().root.name.isEmpty());
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), window.getName());
    EXPECT_EQ (4u, host.watcher.boxes.size());

    // A file given at construction is loaded at once (the e2e test sees it name the real window).
    ViewHost built (true);
    EXPECT_TRUE (built.view.isMeshLoaded());
    EXPECT_EQ (5u, host.watcher.boxes.size() + built.watcher.boxes.size()) << "its information box";
}
