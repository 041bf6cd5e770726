// Tolmar MSH Viewer - the viewer in a modder's loop: the file is never forgotten, failures say why.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "WindowFixtures.h"

#include <iostream>

namespace
{
    const juce::String errorLine = "Could not load .msh file.\n\n";

    juce::MemoryBlock richBytes()
    {
        MshMesh rich;
        buildRichMesh (rich);
        return mshWriteToMemory (rich);
    }
}

TEST_F (LoadedWindow, AFailedReloadKeepsTheMeshAndSaysWhyInTheBoxAndTitle)
{
    scratch.write ("sample.msh", juce::MemoryBlock());
    EXPECT_FALSE (controller.reload());
    ASSERT_EQ (2u, watcher.boxes.size());
    EXPECT_EQ (errorLine + "sample.msh: the file is empty", watcher.boxes[1].message);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh (not reloaded: the file is empty)"), shown.window.getName());
    EXPECT_TRUE (view.isShowingMesh() && tree.getRootItem()->getUniqueName() == "cart_base");
}

TEST_F (LoadedWindow, F5AfterAFailedReloadReadsTheFileOnceItIsWhole)
{
    scratch.write ("sample.msh", juce::MemoryBlock());
    ASSERT_FALSE (controller.reload());
    scratch.write ("sample.msh", richBytes());
    shown.window.getPeer()->handleKeyPress (juce::KeyPress (juce::KeyPress::F5Key));
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), shown.window.getName());
    EXPECT_TRUE (tree.getRootItem()->getUniqueName() == "root" && view.getNotice() == "reloaded");
}

TEST_F (LoadedWindow, PageDownAfterAFailedLoadStepsOnFromThatFile)
{
    controller.open (scratch.write ("sample1.msh", juce::MemoryBlock()));
    ASSERT_EQ (errorLine + "sample1.msh: the file is empty", watcher.boxes.back().message);
    scratch.write ("sample2.msh", sampleFileBytes());
    shown.window.getPeer()->handleKeyPress (juce::KeyPress (juce::KeyPress::pageDownKey));
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample2.msh"), shown.window.getName());
}

TEST_F (LoadedWindow, SteppingPassesOverADanglingLinkAndSaysSo)
{
    ASSERT_TRUE (scratch.folder.getChildFile ("gone").createSymbolicLink (scratch.folder.getChildFile ("sample1.msh"), false));
    scratch.write ("sample2.msh", sampleFileBytes());
    controller.openNeighbour (1);
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample2.msh"), shown.window.getName());
    EXPECT_EQ (juce::String ("passed over what cannot be opened: sample1.msh"), view.getNotice());
}

TEST_F (LoadedWindow, AtTheEndOfTheFolderANoticeSaysSo)
{
    controller.openNeighbour (1);
    EXPECT_EQ (juce::String ("last file in the folder"), view.getNotice());
    EXPECT_EQ (1u, watcher.boxes.size()) << "nothing loaded";
}

TEST_F (LoadedWindow, AWatchedFileIsReloadedOnceItsWriterIsDoneWithoutAnErrorBetween)
{
    // The writer writes half, pauses 300 ms, then the rest: the half is never shown as a failure.
    controller.setWatching (true);
    const auto rich = richBytes();
    juce::FileOutputStream out (scratch.folder.getChildFile ("sample.msh"));
    ASSERT_TRUE (out.openedOk() && out.setPosition (0) && out.truncate().wasOk());
    out.write (rich.getData(), rich.getSize() / 2);
    out.flush();
    pump (300);
    out.write (static_cast<const char*> (rich.getData()) + rich.getSize() / 2, rich.getSize() - rich.getSize() / 2);
    out.flush();
    ASSERT_TRUE (pumpUntil ([&] { return tree.getRootItem()->getUniqueName() == "root"; }));
    EXPECT_EQ (1u, watcher.boxes.size());
    EXPECT_EQ (juce::String ("Tolmar MSH Viewer - sample.msh"), shown.window.getName());
}

TEST (MainPanel, AFolderOnTheCommandLineSaysWhyInABoxAndOnStandardError)
{
    ScratchFolder scratch;
    std::stringstream said;
    auto* const before = std::cerr.rdbuf (said.rdbuf());
    ModalWatcher watcher;
    ShownWindow started (scratch.folder.getFullPathName());
    std::cerr.rdbuf (before);
    ASSERT_TRUE (pumpUntil ([&] { return watcher.boxes.size() == 1; }));
    const auto why = scratch.folder.getFileName() + ": is a directory";
    EXPECT_EQ ((ModalWatcher::Box { "ERROR", errorLine + why, juce::MessageBoxIconType::WarningIcon, { "ok" } }), watcher.boxes[0]);
    EXPECT_EQ ("Tolmar MSH Viewer: " + why.toStdString() + "\n", said.str());
}
