// Tolmar MSH Viewer - the opened file without a window: loads as values, paths of names, the folder.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "document/MeshDocument.h"
#include "msh/TestSupport.h"

TEST (MeshDocument, ALoadGivesItsWarningsAsValues)
{
    ScratchFolder scratch;
    MeshDocument document;
    const auto warned = scratch.write ("warned.msh", sampleFileBytes ([] (const MshObject& o) { return o.name == "cabin" || o.name == "lamp" ? 7u : MshMarker::objectEnd; }));
    const auto before = juce::Time::getMillisecondCounterHiRes();
    const auto result = document.load (warned);
    const auto took = juce::Time::getMillisecondCounterHiRes() - before;
    ASSERT_TRUE (result.ok() && document.isLoaded() && document.getFile() == warned);
    EXPECT_TRUE (document.getLoadMilliseconds() >= 0 && document.getLoadMilliseconds() <= took) << "a part of the call's own time";
    ASSERT_EQ (2u, result->warnings.size());
    EXPECT_TRUE (result->warnings[0].objectName == "cabin" && result->warnings[1].objectName == "lamp" && result->warnings[1].found == 7u);
    const auto walked = mshTotals (document.getMesh()->root, true);
    EXPECT_TRUE (document.getTotals().trianglesDrawn == walked.trianglesDrawn && document.getTotals().bounds.max == walked.bounds.max
                 && document.getTotals().objects == 9u);
}

TEST (MeshDocument, AFailedLoadLeavesItEmptyButKeepsTheFile)
{
    ScratchFolder scratch;
    MeshDocument document;
    ASSERT_TRUE (document.load (scratch.write ("sample.msh", sampleFileBytes())).ok());
    const auto empty = scratch.write ("empty.msh", juce::MemoryBlock());
    const auto result = document.load (empty);
    EXPECT_TRUE (! result.ok() && result.message() == "the file is empty" && result.failure().kind == Failure::Kind::malformed);
    EXPECT_TRUE (! document.isLoaded() && document.getFile() == empty && document.getMesh()->root.name.isEmpty());
}

TEST (MeshDocument, AReloadReadsAFileThatFailedOnceItIsWhole)
{
    ScratchFolder scratch;
    MeshDocument document;
    const auto file = scratch.write ("later.msh", juce::MemoryBlock());
    ASSERT_FALSE (document.load (file).ok());
    scratch.write ("later.msh", sampleFileBytes());
    EXPECT_TRUE (document.reload().ok() && document.isLoaded() && document.getMesh()->root.name == "cart_base");
}

TEST (MeshDocument, AFailedReloadKeepsTheModelItHad)
{
    ScratchFolder scratch;
    MeshDocument document;
    ASSERT_TRUE (document.load (scratch.write ("sample.msh", sampleFileBytes())).ok());
    const auto held = document.getMesh();
    scratch.write ("sample.msh", juce::MemoryBlock());
    EXPECT_FALSE (document.reload().ok());
    EXPECT_TRUE (document.isLoaded() && document.getMesh() == held && document.getTotals().objects == 9u);
}

TEST (MeshDocument, EachLoadReadsIntoAFreshModel)
{
    // A model a frame still holds stays whole while the next file is read.
    ScratchFolder scratch;
    MeshDocument document;
    ASSERT_TRUE (document.load (scratch.write ("sample.msh", sampleFileBytes())).ok());
    const auto held = document.getMesh();
    ASSERT_TRUE (document.load (document.getFile()).ok());
    EXPECT_TRUE (held->root.name == "cart_base" && held->root.firstChild != nullptr && held != document.getMesh());
}

TEST (MeshDocument, APathOfNamesLeadsBackToItsObjectInTheReloadedModel)
{
    ScratchFolder scratch;
    MeshDocument document;
    MshMesh rich;
    buildRichMesh (rich); // root { A { HP_ÿ } B } beside_root
    ASSERT_TRUE (document.load (scratch.write ("rich.msh", mshWriteToMemory (rich))).ok());
    const auto before = document.getMesh(); // held, so the old objects stay to compare against
    const auto& deep = *before->root.firstChild->firstChild;
    const auto path = document.pathOf (deep);
    EXPECT_EQ ("root/A/" + deep.name, path.joinIntoString ("/"));
    ASSERT_TRUE (document.reload().ok());
    EXPECT_TRUE (document.find (path) == document.getMesh()->root.firstChild->firstChild.get() && document.find (path) != &deep);
    EXPECT_EQ (nullptr, document.find ({ "root", "C" }));
}

namespace
{
    struct Stepping
    {
        std::string name;
        const char* from;
        int direction;
        const char* to;                 // "" past the end
        juce::StringArray skipped {};
    };

    void PrintTo (const Stepping& c, std::ostream* out) { *out << c.name; }

    class Neighbour : public ::testing::TestWithParam<Stepping> {};
}

TEST_P (Neighbour, StepsThroughTheFolderInNameOrderPassingOverWhatCannotBeOpened)
{
    const auto& c = GetParam();
    ScratchFolder scratch;
    for (auto name : { "c10.msh", "B.msh", "a.msh", "c9.msh", "d.txt", "e.msh" })
        scratch.write (name, juce::MemoryBlock (1, true));
    scratch.folder.getChildFile ("c95.msh").createDirectory();
    if (! scratch.folder.getChildFile ("gone").createSymbolicLink (scratch.folder.getChildFile ("c99.msh"), false) && c.skipped.contains ("c99.msh"))
        GTEST_SKIP() << "this system makes no symbolic links for us";
    MeshDocument document;
    (void) document.load (scratch.folder.getChildFile (c.from));
    const auto step = document.neighbour (c.direction);
    EXPECT_EQ (juce::String (c.to), step.file.getFileName());
    EXPECT_EQ (c.skipped, step.skipped);
}

INSTANTIATE_TEST_SUITE_P (Folder, Neighbour, ::testing::Values (
    Stepping { "back_over_letter_case", "B.msh", -1, "a.msh" },
    Stepping { "on_over_letter_case", "a.msh", 1, "B.msh" },
    Stepping { "numbers_as_people_count", "c9.msh", 1, "c10.msh" },
    Stepping { "past_the_first", "a.msh", -1, "" },
    Stepping { "over_a_folder_and_a_dangling_link", "c10.msh", 1, "e.msh", { "c95.msh", "c99.msh" } },
    Stepping { "back_over_them", "e.msh", -1, "c10.msh", { "c99.msh", "c95.msh" } },
    Stepping { "past_the_last", "e.msh", 1, "" },
    Stepping { "from_a_file_that_is_gone", "b5.msh", 1, "c9.msh" },
    Stepping { "back_from_a_file_that_is_gone", "b5.msh", -1, "B.msh" },
    Stepping { "from_a_folder", "c95.msh", -1, "c10.msh" }),
    CaseName());
