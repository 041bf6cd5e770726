// Tolmar MSH Viewer - files written whole or not at all, in-process: what the tools' tests cannot see.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/SafeFiles.h"
#include "msh/TestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

TEST (SafeFiles, ALinkIsWrittenThroughAReplacedFileKeepsItsPermissionsAndAFailedSetSaysSo)
{
    ScratchFolder scratch;
    const auto real = scratch.write ("real.txt", juce::MemoryBlock ("old", 3));
    const auto link = scratch.folder.getChildFile ("link.txt");
    ASSERT_EQ (0, ::chmod (real.getFullPathName().toRawUTF8(), 0640));
    ASSERT_EQ (0, ::symlink ("real.txt", link.getFullPathName().toRawUTF8()));

    EXPECT_EQ (juce::String(), writeFileAtomically (link, "new", 3));
    struct stat s {};
    EXPECT_TRUE (link.isSymbolicLink() && real.loadFileAsString() == "new");
    EXPECT_TRUE (::stat (real.getFullPathName().toRawUTF8(), &s) == 0 && (s.st_mode & 0777) == 0640);

    // A set one of whose files cannot even be started is refused whole: nothing of the others appears.
    OutputFileSet set;
    ASSERT_NE (nullptr, set.add (scratch.folder.getChildFile ("first.txt")));
    EXPECT_EQ (nullptr, set.add (scratch.folder));
    EXPECT_FALSE (set.commit());
    EXPECT_TRUE (set.error().endsWith (": is a directory") && ! scratch.folder.getChildFile ("first.txt").exists());
    EXPECT_EQ (2, scratch.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*")) << "no temporary file";
}
