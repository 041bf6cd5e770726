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

TEST (MeshDocument, AFailedLoadLeavesItEmptyWithoutAFile)
{
    ScratchFolder scratch;
    MeshDocument document;
    ASSERT_TRUE (document.load (scratch.write ("sample.msh", sampleFileBytes())).ok());
    const auto result = document.load (scratch.write ("empty.msh", {}));
    EXPECT_TRUE (! result.ok() && result.message() == "the file is empty" && result.failure().kind == Failure::Kind::malformed);
    EXPECT_TRUE (! document.isLoaded() && document.getFile() == juce::File() && document.getMesh()->root.name.isEmpty());
    EXPECT_FALSE (document.reload().ok()) << "nothing to read again";
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

TEST (MeshDocument, PageKeysGoThroughTheFolderInNameOrder)
{
    ScratchFolder scratch;
    for (auto name : { "c10.msh", "B.msh", "a.msh", "c9.msh", "d.txt" })
        scratch.write (name, juce::MemoryBlock (1, true));
    const auto at = [&] (const char* name, int step)
    {
        MeshDocument document;
        (void) document.load (scratch.folder.getChildFile (name));
        return document.neighbour (step).getFileName();
    };
    EXPECT_EQ (juce::String ("a.msh B.msh c9.msh c10.msh"), at ("B.msh", -1) + " " + at ("a.msh", 1) + " " + at ("B.msh", 1) + " " + at ("c9.msh", 1));
    EXPECT_EQ (juce::String ("/"), at ("a.msh", -1) + "/" + at ("c10.msh", 1));
}
