// Tolmar MSH Viewer - the viewer's keys and picking in the real main window.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "app/MainWindow.h"
#include "app/ViewerKeys.h"
#include "gui/GuiTestSupport.h"
#include "msh/TestSupport.h"

namespace
{
    using K = juce::KeyPress;
    using C = ViewerCommand;
}

TEST (Keys, EachKeyAsksForItsCommandAndPageKeysGoThroughTheFolderInNameOrder)
{
    const auto ctrl = juce::ModifierKeys::ctrlModifier, shift = juce::ModifierKeys::shiftModifier;
    for (auto [key, command] : { std::pair (K ('h', {}, 'h'), C::help), std::pair (K (K::F1Key), C::help), std::pair (K ('f', {}, 'f'), C::frame),
                                 std::pair (K (K::homeKey), C::home), std::pair (K ('w', {}, 'w'), C::wireframe), std::pair (K ('I', shift, 'I'), C::overlay),
                                 std::pair (K (K::F5Key), C::reload), std::pair (K (K::F12Key), C::picture), std::pair (K (K::pageDownKey), C::nextFile),
                                 std::pair (K (K::pageUpKey), C::previousFile), std::pair (K ('=', shift, '+'), C::zoomIn), std::pair (K ('-', {}, '-'), C::zoomOut),
                                 std::pair (K ('O', ctrl, 15), C::open), std::pair (K ('Q', ctrl, 17), C::quit), std::pair (K ('W', ctrl, 23), C::none),
                                 std::pair (K ('f', juce::ModifierKeys::altModifier, 'f'), C::none), std::pair (K ('x', {}, 'x'), C::none) })
        EXPECT_EQ (command, viewerCommandFor (key)) << key.getTextDescription();

    ScratchFolder scratch;
    for (auto name : { "c10.msh", "B.msh", "a.msh", "c9.msh", "d.txt" })
        scratch.write (name, juce::MemoryBlock (1, true));
    const auto at = [&] (const char* name, int step) { return neighbourMeshFile (scratch.folder.getChildFile (name), step).getFileName(); };
    EXPECT_EQ (juce::String ("a.msh B.msh c9.msh c10.msh"), at ("B.msh", -1) + " " + at ("a.msh", 1) + " " + at ("B.msh", 1) + " " + at ("c9.msh", 1));
    EXPECT_EQ (juce::String ("/"), at ("a.msh", -1) + "/" + at ("c10.msh", 1));
}

TEST (Keys, InTheRealWindowEachKeyDoesWhatItSaysAndAClickPicks)
{
    ScratchFolder scratch;
    MshMesh mesh;
    buildSampleMesh (mesh);
    const auto sample = scratch.write ("sample.msh", mshWriteToMemory (mesh));
    const auto next = scratch.write ("sample2.msh", mshWriteToMemory (mesh));
    MainWindow window ({});
    window.centreWithSize (750, 550);
    window.setVisible (true);
    auto& panel = *window.getPanel();
    auto& view = panel.getMeshView();
    ModalWatcher watcher;
    panel.loadFile (sample);
    ASSERT_EQ (1u, watcher.boxes.size());
    const auto press = [&] (const K& key) { window.getPeer()->handleKeyPress (key); pump (30); };
    const auto loaded = view.getCamera();

    press (K ('w', {}, 'w'));
    press (K ('i', {}, 'i'));
    EXPECT_TRUE (view.isWireframe() && view.isOverlayShown());
    EXPECT_TRUE (view.getOverlayText().contains ("9 objects, 411 vertices, 418 triangles drawn, 0 left out")) << view.getOverlayText();
    press (K ('=', juce::ModifierKeys::shiftModifier, '+'));
    EXPECT_FLOAT_EQ (loaded.distance * std::pow (1 - 0.03515625f, 3.0f), view.getCamera().distance);
    press (K ('f', {}, 'f'));
    EXPECT_NE (loaded.distance, view.getCamera().distance);
    press (K (K::homeKey));
    EXPECT_EQ (loaded.distance, view.getCamera().distance);
    EXPECT_EQ (loaded.pivot, view.getCamera().pivot);

    // A click on the middle of the view picks the object there as a click on its row would; one on the
    // background changes nothing.
    const auto middle = view.getLocalBounds().getCentre();
    click (view, middle);
    auto* selected = panel.getTreeView().getSelectedItem (0);
    ASSERT_NE (nullptr, selected);
    click (view, { 3, 3 });
    EXPECT_EQ (selected, panel.getTreeView().getSelectedItem (0));
    const auto selectedName = selected->getUniqueName();

    // F5 reads the file again: the camera and the selection stay, no information box.
    press (K ('-', {}, '-'));
    const auto turned = view.getCamera().distance;
    press (K (K::F5Key));
    EXPECT_EQ (1u, watcher.boxes.size());
    EXPECT_EQ (turned, view.getCamera().distance);
    ASSERT_NE (nullptr, panel.getTreeView().getSelectedItem (0));
    EXPECT_EQ (selectedName, panel.getTreeView().getSelectedItem (0)->getUniqueName());

    // F12 twice: two pictures beside the file, never overwritten, each said in a notice.
    for (auto name : { "sample-1.png", "sample-2.png" })
    {
        press (K (K::F12Key));
        EXPECT_TRUE (pumpUntil ([&] { return scratch.folder.getChildFile (name).existsAsFile(); }));
        EXPECT_TRUE (view.getNotice().endsWith (name)) << view.getNotice();
    }
    EXPECT_EQ (480, juce::ImageFileFormat::loadFrom (scratch.folder.getChildFile ("sample-1.png")).getWidth());

    press (K (K::pageDownKey));
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample2.msh"), window.getName());
    press (K (K::pageUpKey));
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), window.getName());
    EXPECT_EQ (3u, watcher.boxes.size());

    press (K ('h', {}, 'h'));
    pumpUntil ([&] { return watcher.boxes.size() == 4; });
    ASSERT_EQ (4u, watcher.boxes.size());
    EXPECT_EQ (juce::String (keysHelpTitle), watcher.boxes[3].title);
}
