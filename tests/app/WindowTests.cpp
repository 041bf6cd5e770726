// Tolmar MSH Viewer - the main window and panel as built on a real display: geometry, states, drops.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/ViewerKeys.h"
#include "WindowFixtures.h"
#include "view/Captions.h"
#include "view/MeshView.h"
#include "msh/TestSupport.h"

namespace
{
    using R = juce::Rectangle<int>;
    using K = juce::KeyPress;
    using C = ViewerCommand;

    // Pixels in an area where one colour channel (0 red, 1 green, 2 blue) stands 40 above the others.
    int tinted (const juce::Image& image, R area, int channel)
    {
        return countPixels (image, area, [channel] (juce::Colour c)
        {
            const int v[] = { c.getRed(), c.getGreen(), c.getBlue() };
            return v[channel] > v[(channel + 1) % 3] + 40 && v[channel] > v[(channel + 2) % 3] + 40;
        });
    }
}

TEST (MainWindow, AtTheStartSizeEverythingSitsWhereItShould)
{
    ShownWindow shown;
    auto& w = shown.window;
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer"), w.getName());
    EXPECT_EQ (juce::Colour (0xffe6e6fa), w.getBackgroundColour());
    EXPECT_EQ (R (750, 550), w.getLocalBounds());
    EXPECT_EQ (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea.getCentre(), w.getScreenBounds().getCentre());
    EXPECT_EQ (5, w.getBorderThickness().getTop());
    EXPECT_EQ ((std::array<R, 3> { R (675, 7, 22, 22), R (697, 7, 22, 22), R (719, 7, 22, 22) }), shown.buttons());
    EXPECT_EQ ((std::array<R, 4> { R (5, 33, 740, 512), R (5, 35, 250, 472), R (260, 35, 480, 472), R (660, 5, 75, 25) }), shown.layout());
    EXPECT_EQ (juce::String ("MinButton MaxResButton"), w.getMinButton()->getName() + " " + w.getMaxResButton()->getName());

    // The blue minimise bar lies in the lower part of its button, the green maximise outline has its
    // thick edge on top; both half transparent over the title bar until the mouse comes.
    const auto image = w.createComponentSnapshot (w.getLocalBounds());
    const auto minimise = shown.buttons()[0], maximise = shown.buttons()[1];
    EXPECT_GT (tinted (image, minimise.withTrimmedTop (11), 2), 10);
    EXPECT_EQ (0, tinted (image, minimise.withHeight (9), 2));
    EXPECT_GT (tinted (image, maximise.withHeight (8), 1), tinted (image, maximise.withTrimmedTop (8).withHeight (8), 1));
    EXPECT_GT (tinted (image, maximise.withTrimmedTop (8).withHeight (8), 1), 4) << "its sides";
    EXPECT_EQ (0, tinted (image, maximise, 2) + tinted (image, minimise, 1));

    auto& panel = shown.panel();
    EXPECT_EQ ((std::array<juce::Component*, 3> { &panel.getTreeView(), &panel.getMeshView(), &panel.getLoadButton() }),
               (std::array<juce::Component*, 3> { panel.getChildComponent (0), panel.getChildComponent (1), panel.getChildComponent (2) }));
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer OGL: Load MSH"), panel.getName() + ": " + panel.getLoadButton().getButtonText());
}

TEST (MainWindow, EscapeDoesNotCloseIt)
{
    ShownWindow shown;
    auto& w = shown.window;
    EXPECT_TRUE (w.getCloseButton()->isRegisteredForShortcut (juce::KeyPress (juce::KeyPress::F4Key, juce::ModifierKeys::altModifier, 0)));
    w.getPeer()->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey));
    pump (50);
    EXPECT_TRUE (w.isVisible() && ! juce::MessageManager::getInstance()->hasStopMessageBeenSent());
}

TEST (MainWindow, TheGreenButtonTogglesFullScreen)
{
    ShownWindow shown;
    auto& w = shown.window;
    const auto before = w.getBounds();
    click (w, w.getMaxResButton()->getBounds().getCentre());
    EXPECT_TRUE (w.isFullScreen() && w.getBorderThickness().getTop() == 3);
    EXPECT_EQ (R (w.getWidth() - 51, 5, 22, 22), w.getMaxResButton()->getBounds());
    click (w, w.getMaxResButton()->getBounds().getCentre());
    EXPECT_EQ (before, w.getBounds());
}

TEST (MainWindow, ADoubleClickHighEnoughInTheTitleBarTogglesFullScreen)
{
    ShownWindow shown;
    auto& w = shown.window;
    for (auto [y, full] : { std::pair (27, true), std::pair (27, false), std::pair (28, false) }) // a double-click in the title bar
    {
        for (auto buttons : { 0, 1, 0, 1, 0 })
            sendMouse (w, { 300, y }, buttons != 0 ? juce::ModifierKeys::leftButtonModifier : 0);
        pump (50);
        EXPECT_EQ (full, w.isFullScreen()) << y;
    }
}

TEST (MainWindow, ResizedItsLayoutFollowsWithinItsLimits)
{
    ShownWindow shown;
    auto& w = shown.window;
    w.setSize (1000, 300);
    EXPECT_EQ ((std::array<R, 4> { R (5, 33, 990, 262), R (5, 35, 250, 222), R (260, 35, 730, 222), R (910, 5, 75, 25) }), shown.layout());
    w.setSize (300, 300);
    EXPECT_EQ ((std::array<R, 4> { R (5, 33, 290, 262), R (5, 35, 250, 222), R (260, 35, 30, 222), R (210, 5, 75, 25) }), shown.layout());
    const auto* limits = w.getConstrainer();
    EXPECT_EQ ((std::array<int, 4> { 300, 300, 99999, 99999 }),
               (std::array<int, 4> { limits->getMinimumWidth(), limits->getMinimumHeight(), limits->getMaximumWidth(), limits->getMaximumHeight() }));
}

TEST (MainWindow, TheGlossyLookIsTheDefaultOnlyWhileTheWindowLives)
{
    {
        MainWindow window ({});
        EXPECT_NE (nullptr, dynamic_cast<ShinyLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()));
    }
    // Deleted without its close button (as after the system's quit request): JUCE's own look is back.
    EXPECT_EQ (nullptr, dynamic_cast<ShinyLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()));
}

namespace
{
    struct Arguments
    {
        std::string name;
        juce::StringArray arguments;       // or, when empty, Windows' text
        juce::String windowsText, fileName;
        bool watch = false;
    };

    void PrintTo (const Arguments& c, std::ostream* out) { *out << c.name; }

    class CommandLine : public ::testing::TestWithParam<Arguments> {};
}

TEST_P (CommandLine, GivesTheFileAndWhetherToWatch)
{
    const auto& c = GetParam();
    const juce::File cwd ("/work/meshes");
    const auto parsed = c.arguments.isEmpty() ? viewerArgumentsFromWindows (c.windowsText, cwd) : viewerArguments (c.arguments, cwd);
    EXPECT_EQ (c.fileName, parsed.fileName);
    EXPECT_EQ (c.watch, parsed.watch);
}

INSTANTIATE_TEST_SUITE_P (Viewer, CommandLine, ::testing::Values (
    Arguments { "words_joined", { "my", "tank.msh" }, {}, "/work/meshes/my tank.msh" },
    Arguments { "trimmed", { "  /tmp/a.msh  " }, {}, "/tmp/a.msh" },
    Arguments { "quotes_kept", { "\"q\"", "x.msh" }, {}, "/work/meshes/\"q\" x.msh" },
    Arguments { "blank", { " ", "" }, {}, "" },
    Arguments { "watch_first", { "--watch", "a.msh" }, {}, "/work/meshes/a.msh", true },
    Arguments { "watch_later_is_a_name", { "a", "--watch" }, {}, "/work/meshes/a --watch" },
    Arguments { "windows_quotes", {}, " \"my tank.msh\" ", "/work/meshes/my tank.msh" },
    Arguments { "windows_watch", {}, "--watch \"my tank.msh\"", "/work/meshes/my tank.msh", true },
    Arguments { "windows_inner_quote", {}, "a\"b.msh", "/work/meshes/a\"b.msh" }),
    CaseName());

TEST (MeshViewInWindow, ALoadShowsTheRootRowTheTitleThenTheInformationBox)
{
    ScratchFolder scratch;
    ShownWindow shown;
    auto& tree = shown.panel().getTreeView();
    ModalWatcher watcher;
    EXPECT_EQ (juce::String ("__Empty Mesh__"), tree.getRootItem()->getUniqueName());
    EXPECT_EQ (juce::Colour (0xffadd8e6), tree.findColour (juce::TreeView::backgroundColourId));

    ASSERT_TRUE (shown.panel().getController().load (scratch.write ("sample.msh", sampleFileBytes())));
    ASSERT_EQ (1u, watcher.boxes.size());
    EXPECT_EQ ((ModalWatcher::Box { "Information v 0.2.1", ViewerController::informationMessage, juce::MessageBoxIconType::InfoIcon, { "ok" } }), watcher.boxes[0]);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), shown.window.getName());
    EXPECT_TRUE (tree.getRootItem()->getUniqueName() == "cart_base" && ! tree.getRootItem()->isOpen());
    EXPECT_EQ (-21.0f, shown.panel().getMeshView().getCamera().distance) << "three times word 19 (7) beats word 0 (6)";
}

TEST_F (LoadedWindow, ASelectedRowIsDrawnHighlightedAtOnceThenFramesStop)
{
    // (The box's window going from the screen is a reason to draw: it may come late, on a busy machine
    // later than the box itself.)
    pumpUntil ([] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; });
    auto frames = view.getRenderedFrameCount();
    tree.getRootItem()->setSelected (true, true);
    EXPECT_TRUE (pumpUntil ([&] { return view.getRenderedFrameCount() > frames; }, 2000));
    const auto* root = &controller.getDocument().getMesh()->root;
    EXPECT_TRUE (controller.getSelected() == root && view.getHighlighted() == root);
    for (int tries = 0; tries < 8 && frames != view.getRenderedFrameCount(); ++tries)
    {
        frames = view.getRenderedFrameCount();
        pump (1000);
    }
    pump (1000);
    EXPECT_EQ (frames, view.getRenderedFrameCount()) << "no frame without a reason";
}

TEST_F (LoadedWindow, ADragTurnsTheSceneAWheelNotchBacksOff)
{
    // A left drag of 50 pixels to the right turns the scene 10 degrees; a notch of the wheel as JUCE
    // reports it on X11 backs off by 3.515625 %.
    const auto middle = view.getLocalBounds().getCentre();
    sendMouse (view, middle, juce::ModifierKeys::leftButtonModifier);
    sendMouse (view, middle + juce::Point<int> (50, 0), juce::ModifierKeys::leftButtonModifier);
    sendMouse (view, middle + juce::Point<int> (50, 0), {});
    EXPECT_EQ (10.0f, view.getCamera().rotation[1]);
    shown.window.getPeer()->handleMouseWheel (juce::MouseInputSource::InputSourceType::mouse, peerPosition (view, middle),
                                                juce::Time::currentTimeMillis(), { 0, 50.0f / 256.0f, false, false, false });
    EXPECT_EQ (-21.0f * 1.03515625f, view.getCamera().distance);
}

TEST_F (LoadedWindow, AFileThatCannotBeReadClearsWhatTheLastOneShowed)
{
    // The placeholder row and the application's name alone, no box of the load's own.
    tree.getRootItem()->setSelected (true, true);
    EXPECT_FALSE (controller.load (scratch.write ("empty.msh", juce::MemoryBlock())));
    EXPECT_EQ (1u, watcher.boxes.size());
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer"), shown.window.getName());
    EXPECT_TRUE (tree.getRootItem()->getUniqueName() == "__Empty Mesh__" && ! controller.isMeshLoaded() && ! view.isShowingMesh());
    EXPECT_TRUE (controller.getSelected() == nullptr && view.getHighlighted() == nullptr);
}

TEST (MeshViewInWindow, WarningBoxesComeBeforeTheInformationBox)
{
    ScratchFolder scratch;
    ShownWindow shown;
    ModalWatcher watcher;
    ASSERT_TRUE (shown.panel().getController().load (scratch.write ("warned.msh", sampleFileBytes ([] (const MshObject& o) { return o.name == "cabin" || o.name == "lamp" ? 7u : MshMarker::objectEnd; }))));
    const ModalWatcher::Box warning { "WARNING", "Mesh does not seem valid.  Attempting render, but rendering will probobly be incorrect\n\nwarned.msh:\n"
                                      "end marker of object \"cabin\" at byte 5215 reads 0x00000007, expected 0xa93eb864\n"
                                      "end marker of object \"lamp\" at byte 15954 reads 0x00000007, expected 0xa93eb864",
                                      juce::MessageBoxIconType::WarningIcon, { "ok" } };
    ASSERT_EQ (2u, watcher.boxes.size()) << "one box for the load";
    EXPECT_TRUE (warning == watcher.boxes[0] && watcher.boxes[1].title == "Information v 0.2.1") << watcher.boxes[0].message;
}

TEST_F (LoadedWindow, EachLoadStartsWithClosedRowsNothingSelected)
{
    tree.getRootItem()->setOpen (true);
    tree.getRootItem()->getSubItem (0)->setSelected (true, true);
    ASSERT_EQ (controller.getDocument().getMesh()->root.firstChild.get(), controller.getSelected());
    ASSERT_TRUE (controller.load (controller.getDocument().getFile()));
    EXPECT_EQ (2u, watcher.boxes.size()) << "the information box after every load";
    EXPECT_TRUE (! tree.getRootItem()->isOpen() && tree.getRootItem()->getNumSubItems() == 0);
    EXPECT_TRUE (controller.getSelected() == nullptr && view.getHighlighted() == nullptr);
}

TEST_F (LoadedWindow, APathThatIsNoFileClearsTheRowsButKeepsTheTitle)
{
    for (auto& path : { scratch.folder.getChildFile ("missing.msh"), scratch.folder })
        EXPECT_FALSE (controller.load (path));
    EXPECT_TRUE (tree.getRootItem()->getUniqueName() == "__Empty Mesh__" && controller.getDocument().getMesh()->root.name.isEmpty());
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), shown.window.getName());
    EXPECT_EQ (1u, watcher.boxes.size());
}

TEST (MeshViewInWindow, AFileOnTheCommandLineIsLoadedWhileTheWindowIsBuilt)
{
    ScratchFolder scratch;
    ModalWatcher watcher;
    ShownWindow started (scratch.write ("sample.msh", sampleFileBytes()).getFullPathName());
    EXPECT_TRUE (started.panel().getController().isMeshLoaded() && started.panel().getMeshView().isShowingMesh());
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), started.window.getName());
}

TEST (MainPanel, OnlyADragOfOneFileIsTaken)
{
    ScratchFolder scratch;
    const auto good = scratch.write ("dropped.msh", sampleFileBytes()), bad = scratch.write ("bad.msh", juce::MemoryBlock());
    ShownWindow shown;
    EXPECT_TRUE (shown.panel().isInterestedInFileDrag ({ good.getFullPathName() }));
    EXPECT_FALSE (shown.panel().isInterestedInFileDrag ({ good.getFullPathName(), bad.getFullPathName() }));
    EXPECT_FALSE (shown.panel().isInterestedInFileDrag ({ scratch.folder.getFullPathName() }));
}

TEST (MainPanel, ADroppedFileLoadsLikeLoadMsh)
{
    ScratchFolder scratch;
    const auto good = scratch.write ("dropped.msh", sampleFileBytes()), bad = scratch.write ("bad.msh", juce::MemoryBlock());
    ShownWindow shown;
    auto& panel = shown.panel();
    ModalWatcher watcher;
    panel.filesDropped ({ good.getFullPathName() }, 400, 200);
    ASSERT_EQ (1u, watcher.boxes.size());
    EXPECT_EQ (juce::String ("Information v 0.2.1"), watcher.boxes[0].title);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - dropped.msh"), shown.window.getName());

    panel.filesDropped ({ bad.getFullPathName() }, 400, 200);
    ASSERT_EQ (2u, watcher.boxes.size());
    EXPECT_EQ ((ModalWatcher::Box { "ERROR", "Could not load .msh file.\n\nbad.msh: the file is empty", juce::MessageBoxIconType::WarningIcon, { "ok" } }), watcher.boxes[1]);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer"), shown.window.getName());
}

TEST (Keys, EachKeyAsksForItsCommand)
{
    const auto ctrl = juce::ModifierKeys::ctrlModifier, shift = juce::ModifierKeys::shiftModifier;
    for (auto [key, command] : { std::pair (K ('h', {}, 'h'), C::help), std::pair (K (K::F1Key), C::help), std::pair (K ('f', {}, 'f'), C::frame),
                                 std::pair (K (K::homeKey), C::home), std::pair (K ('w', {}, 'w'), C::wireframe), std::pair (K ('I', shift, 'I'), C::overlay),
                                 std::pair (K (K::F5Key), C::reload), std::pair (K (K::F12Key), C::picture), std::pair (K (K::pageDownKey), C::nextFile),
                                 std::pair (K (K::pageUpKey), C::previousFile), std::pair (K ('=', shift, '+'), C::zoomIn), std::pair (K ('-', {}, '-'), C::zoomOut),
                                 std::pair (K ('O', ctrl, 15), C::open), std::pair (K ('Q', ctrl, 17), C::quit), std::pair (K ('W', ctrl, 23), C::none),
                                 std::pair (K ('f', juce::ModifierKeys::altModifier, 'f'), C::none), std::pair (K ('x', {}, 'x'), C::hide),
                                 std::pair (K ('X', shift, 'X'), C::showAll), std::pair (K ('l', {}, 'l'), C::headlight), std::pair (K ('c', {}, 'c'), C::hulls),
                                 std::pair (K ('r', {}, 'r'), C::watch), std::pair (K ('y', {}, 'y'), C::none) })
        EXPECT_EQ (command, viewerCommandFor (key)) << key.getTextDescription();
}

TEST_F (LoadedWindow, WDrawsTheSceneAgainAsWireframe)
{
    EXPECT_TRUE (redraws (K ('w', {}, 'w')));
    EXPECT_TRUE (view.isWireframe());
}

TEST_F (LoadedWindow, ILaysTheFactsOverTheKeptSceneDarkeningNoMoreThanTheirArea)
{
    waitUntilStill();
    const auto area = captionAreaFor (view.getOverlayText(), view.getLocalBounds());
    const auto inside = view.getScreenPosition() + area.getBottomRight() - juce::Point<int> (3, 3); // in its margin, below its text
    const auto outside = view.getScreenPosition() + juce::Point<int> (area.getRight() + 3, area.getBottom() - 3);
    const auto uncovered = screenPixel (inside), beside = screenPixel (outside);
    EXPECT_FALSE (redraws (K ('i', {}, 'i'), 300)) << "laid over the kept scene";
    pump (200);
    const auto covered = screenPixel (inside);
    EXPECT_TRUE (view.isOverlayShown() && covered.getRed() < uncovered.getRed() / 2 + 4 && covered.getBlue() < uncovered.getBlue() / 2 + 4)
        << "the overlay darkens its corner at any scale: " << uncovered.toString() << " " << covered.toString();
    EXPECT_EQ (beside, screenPixel (outside)) << "and no more than its text needs";
}

TEST_F (LoadedWindow, TheOverlayCountsWhatIsDrawnAndHowLongTheLastFrameTook)
{
    const auto started = juce::Time::getMillisecondCounterHiRes();
    press (K ('i', {}, 'i'));
    EXPECT_TRUE (view.getOverlayText().contains ("9 objects, 411 vertices, 418 triangles drawn, 0 left out")) << view.getOverlayText();
    const auto frameMs = view.getOverlayText().fromFirstOccurrenceOf ("last frame ", false, false).getDoubleValue();
    EXPECT_TRUE (frameMs >= 0 && frameMs <= juce::Time::getMillisecondCounterHiRes() - started + loadMs) << frameMs;
}

TEST_F (LoadedWindow, PlusAndMinusZoomThreeWheelNotches)
{
    const auto before = view.getCamera().distance;
    EXPECT_TRUE (redraws (K ('=', juce::ModifierKeys::shiftModifier, '+')));
    EXPECT_FLOAT_EQ (before * std::pow (1 - 0.03515625f, 3.0f), view.getCamera().distance);
    EXPECT_TRUE (redraws (K ('-', {}, '-')));
    EXPECT_FLOAT_EQ (before * std::pow (1 - 0.03515625f, 3.0f) * std::pow (1 + 0.03515625f, 3.0f), view.getCamera().distance);
}

TEST_F (LoadedWindow, HomeUndoesWhatFDid)
{
    const auto placed = view.getCamera();
    EXPECT_TRUE (redraws (K ('f', {}, 'f')));
    EXPECT_NE (placed.distance, view.getCamera().distance);
    EXPECT_TRUE (redraws (K (K::homeKey)));
    EXPECT_TRUE (placed.distance == view.getCamera().distance && placed.pivot == view.getCamera().pivot);
}

TEST_F (LoadedWindow, F5KeepsTheCameraAndTheSelectionWithoutABox)
{
    click (view, view.getLocalBounds().getCentre());
    ASSERT_NE (nullptr, tree.getSelectedItem (0));
    const auto selectedName = tree.getSelectedItem (0)->getUniqueName();
    press (K ('-', {}, '-'));
    const auto turned = view.getCamera().distance;
    press (K (K::F5Key));
    EXPECT_EQ (1u, watcher.boxes.size());
    EXPECT_EQ (turned, view.getCamera().distance);
    ASSERT_NE (nullptr, tree.getSelectedItem (0));
    EXPECT_EQ (selectedName, tree.getSelectedItem (0)->getUniqueName());
}

TEST_F (LoadedWindow, AfterADragInTheViewTheArrowKeysStillMoveTheTreesSelection)
{
    tree.getRootItem()->setOpen (true);
    tree.getRootItem()->setSelected (true, true);
    const auto middle = view.getLocalBounds().getCentre();
    for (auto [x, buttons] : { std::pair (0, juce::ModifierKeys::leftButtonModifier), std::pair (30, juce::ModifierKeys::leftButtonModifier), std::pair (30, juce::ModifierKeys::noModifiers) })
        sendMouse (view, middle + juce::Point<int> (x, 0), buttons);
    press (K (K::downKey));
    EXPECT_TRUE (tree.getNumSelectedItems() == 1 && tree.getSelectedItem (0) == tree.getRootItem()->getSubItem (0));
}

TEST_F (LoadedWindow, F12SavesNumberedPicturesOfTheKeptSceneBesideTheFile)
{
    // Never overwritten, each said in a notice, each read from the kept scene with every pixel of the display.
    waitUntilStill();
    for (auto name : { "sample-1.png", "sample-2.png" })
    {
        const auto scenes = view.getScenesDrawn();
        press (K (K::F12Key));
        EXPECT_TRUE (pumpUntil ([&] { return scratch.folder.getChildFile (name).existsAsFile(); }));
        EXPECT_TRUE (view.getNotice().endsWith (name) && view.getScenesDrawn() == scenes) << view.getNotice();
    }
    const auto scale = juce::Desktop::getInstance().getGlobalScaleFactor();
    EXPECT_EQ ((int) (480 * scale), juce::ImageFileFormat::loadFrom (scratch.folder.getChildFile ("sample-1.png")).getWidth());
}

TEST_F (LoadedWindow, F12BeforeALoadSavesWhatWasShownNamedAfterItsFile)
{
    // A ball has more triangles than a frame draws before it asks whether to go on, and the answer is
    // asked for before the second: the picture is the mesh, not the balls.
    shown.window.getPeer()->handleKeyPress (K (K::F12Key));
    MshMesh ball;
    for (auto name : { "ball", "moon" })
        addSphere (addChild (ball.root, name), 1, 100, 100);
    controller.open (scratch.write ("ball.msh", mshWriteToMemory (ball)));
    ASSERT_TRUE (pumpUntil ([&] { return scratch.folder.getChildFile ("sample-1.png").existsAsFile(); }));
    const auto picture = juce::ImageFileFormat::loadFrom (scratch.folder.getChildFile ("sample-1.png"));
    EXPECT_GT (countPixels (picture, picture.getBounds(), [] (juce::Colour c) { return c != juce::Colour (204, 0, 102); }), 1000);
    EXPECT_FALSE (scratch.folder.getChildFile ("ball-1.png").exists());
    EXPECT_TRUE (pumpUntil ([&] { return view.getOverlayText().contains ("40,000 triangles drawn"); }));
}

TEST_F (LoadedWindow, APictureThatCannotBeWrittenSaysWhy)
{
    scratch.folder.getChildFile ("gone").createDirectory();
    controller.open (scratch.write ("gone/x.msh", sampleFileBytes()));
    scratch.folder.getChildFile ("gone").deleteRecursively();
    press (K (K::F12Key));
    EXPECT_TRUE (pumpUntil ([&] { return view.getNotice().contains ("gone/x-1.png: No such file or directory"); })) << view.getNotice();
}

TEST_F (LoadedWindow, HOpensTheHelpBox)
{
    press (K ('h', {}, 'h'));
    ASSERT_TRUE (pumpUntil ([&] { return watcher.boxes.size() == 2; }));
    EXPECT_EQ ((ModalWatcher::Box { keysHelpTitle, keysHelpText, juce::MessageBoxIconType::NoIcon, { "ok" } }), watcher.boxes[1]);
}

TEST_F (LoadedWindow, AClickPicksWhatIsUnderIt)
{
    // In the middle of the view, the object there as a click on its row would; on the background, nothing.
    click (view, view.getLocalBounds().getCentre());
    auto* selected = tree.getSelectedItem (0);
    ASSERT_NE (nullptr, selected);
    click (view, { 3, 3 });
    EXPECT_EQ (selected, tree.getSelectedItem (0));
}

TEST_F (LoadedWindow, ASiblingOfTheRootIsHighlightedWithoutARowUntilARowIsSelected)
{
    MshMesh rich;
    buildRichMesh (rich);
    ASSERT_TRUE (controller.load (scratch.write ("rich.msh", mshWriteToMemory (rich))));
    const auto* sibling = controller.getDocument().getMesh()->root.nextSibling.get();
    controller.select (sibling);
    EXPECT_TRUE (view.getOverlayText().contains ("selected \"beside_root\"") && tree.getNumSelectedItems() == 0 && view.getHighlighted() == sibling);
    tree.getRootItem()->setSelected (true, true);
    tree.clearSelectedItems();
    EXPECT_FALSE (view.getHighlighted() != nullptr || view.getOverlayText().contains ("selected"));
}

TEST_F (LoadedWindow, XHidesTheSelectedObjectWithEverythingBelowIt)
{
    const auto& root = controller.getDocument().getMesh()->root;
    controller.select (root.firstChild.get());
    shown.window.getPeer()->handleKeyPress (K ('x', {}, 'x'));
    HiddenObjects expected;
    mshForEachObject (*root.firstChild, false, [&expected] (const MshObject& o, int, juce::int64, juce::int64) { expected.insert (&o); });
    EXPECT_TRUE (expected.size() > 1 && view.getHidden() == expected);
    EXPECT_TRUE (view.getNotice().startsWith ("hidden: \"" + root.firstChild->name + "\" and ")) << view.getNotice();
}

TEST_F (LoadedWindow, ShiftXShowsEverythingAgain)
{
    controller.select (&controller.getDocument().getMesh()->root);
    shown.window.getPeer()->handleKeyPress (K ('x', {}, 'x'));
    ASSERT_FALSE (view.getHidden().empty());
    shown.window.getPeer()->handleKeyPress (K ('X', juce::ModifierKeys::shiftModifier, 'X'));
    EXPECT_TRUE (view.getHidden().empty());
}

TEST_F (LoadedWindow, ABigMeshGetsItsSimplifiedCopyForTurningAfterItsBoxes)
{
    MshMesh block;
    buildBallBlock (block, 2000); // 600,000 triangles
    ASSERT_TRUE (controller.load (scratch.write ("block.msh", mshWriteToMemory (block))));
    ASSERT_TRUE (pumpUntil ([&] { return view.getReducedCopy() != nullptr && view.getReducedCopy()->triangles() != 2000 * 12; }, 20000));
    EXPECT_LE (view.getReducedCopy()->triangles(), reducedTriangleBudget + reducedTriangleBudget / 2);
    ASSERT_TRUE (controller.load (scratch.folder.getChildFile ("sample.msh")));
    EXPECT_EQ (nullptr, view.getReducedCopy()) << "a small mesh is drawn whole";
}

TEST_F (LoadedWindow, ANoticeIsDrawnAlongTheBottomOfTheView)
{
    waitUntilStill();
    const auto bottom = view.getScreenPosition() + juce::Point<int> (view.getWidth() - 3, view.getHeight() - 3);
    const auto before = screenPixel (bottom);
    view.showNotice ("a notice");
    pump (300);
    EXPECT_LT (screenPixel (bottom).getRed(), before.getRed() / 2 + 4) << before.toString() << " " << screenPixel (bottom).toString();
}

TEST_F (LoadedWindow, ANoticeGoesByItselfAfterAFewSeconds)
{
    view.showNotice ("a notice");
    EXPECT_TRUE (pumpUntil ([&] { return view.getNotice().isEmpty(); }, 6000));
}

TEST_F (LoadedWindow, ADragDrawsTheTurningSceneBeforeTheButtonIsLetGo)
{
    waitUntilStill();
    const auto middle = view.getLocalBounds().getCentre();
    sendMouse (view, middle, juce::ModifierKeys::leftButtonModifier);
    const auto scenes = view.getScenesDrawn();
    sendMouse (view, middle + juce::Point<int> (40, 0), juce::ModifierKeys::leftButtonModifier);
    EXPECT_TRUE (pumpUntil ([&] { return view.getScenesDrawn() > scenes; }, 2000));
    sendMouse (view, middle + juce::Point<int> (40, 0), {});
}

TEST_F (LoadedWindow, SelectingWithTheOverlayShownDrawsTheHighlight)
{
    press (K ('i', {}, 'i'));
    waitUntilStill();
    const auto scenes = view.getScenesDrawn();
    tree.getRootItem()->setSelected (true, true);
    EXPECT_TRUE (pumpUntil ([&] { return view.getScenesDrawn() > scenes; }, 2000));
}
