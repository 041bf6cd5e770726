// Tolmar MSH Viewer - files written whole or not at all, in-process: what the tools' tests cannot see.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/SafeFiles.h"
#include "TestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

TEST (SafeFiles, ALinkIsWrittenThroughToAFileThatKeepsItsPermissions)
{
    ScratchFolder scratch;
    const auto real = scratch.write ("real.txt", juce::MemoryBlock ("old", 3));
    const auto link = scratch.folder.getChildFile ("link.txt");
    ASSERT_EQ (0, ::chmod (real.getFullPathName().toRawUTF8(), 0640));
    ASSERT_EQ (0, ::symlink ("real.txt", link.getFullPathName().toRawUTF8()));

    EXPECT_EQ (juce::String(), failureOf (writeFileAtomically (link, "new", 3)));
    struct stat s {};
    EXPECT_TRUE (link.isSymbolicLink() && real.loadFileAsString() == "new");
    EXPECT_TRUE (::stat (real.getFullPathName().toRawUTF8(), &s) == 0 && (s.st_mode & 0777) == 0640);
}

TEST (SafeFiles, ASetOneOfWhoseFilesCannotBeStartedIsRefusedWhole)
{
    ScratchFolder scratch;
    OutputFileSet set;
    ASSERT_TRUE (set.add (scratch.folder.getChildFile ("first.txt")).ok());
    EXPECT_TRUE (failureOf (set.add (scratch.folder)).endsWith (": is a directory"));
    EXPECT_TRUE (failureOf (set.commit()).endsWith (": is a directory") && ! scratch.folder.getChildFile ("first.txt").exists());
    EXPECT_EQ (0, scratch.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*")) << "no temporary file";
}

TEST (SafeFiles, ATargetThatBecameAFolderRefusesTheSetAtCommit)
{
    // The old file kept aside for the one before it is let go of again.
    ScratchFolder scratch;
    const auto kept = scratch.write ("kept.txt", juce::MemoryBlock ("A", 1));
    const auto late = scratch.folder.getChildFile ("late.txt");
    OutputFileSet changing;
    for (const auto& file : { kept, late, scratch.folder.getChildFile ("last.txt") })
        ASSERT_TRUE (changing.add (file).ok());
    ASSERT_TRUE (late.createDirectory());
    const auto refused = failureOf (changing.commit());
    EXPECT_TRUE (refused.endsWith ("late.txt: is not a regular file") && kept.loadFileAsString() == "A") << refused;
    EXPECT_EQ (2, scratch.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*")) << "nothing kept aside";
}

TEST (SafeFiles, SmallWritesPastTheBufferThenABigOneArriveWholeInOrder)
{
    ScratchFolder scratch;
    juce::MemoryBlock bytes (3 << 20);
    for (size_t i = 0; i < bytes.getSize(); ++i)
        bytes[i] = (char) (i * 7 + i / 4093);
    OutputFileSet big;
    const auto added = big.add (scratch.folder.getChildFile ("big.bin"));
    ASSERT_TRUE (added.ok());
    auto* out = *added;
    for (size_t at = 0; at < (3u << 19); at += 4093)
        out->write (bytes.begin() + at, std::min<size_t> (4093, (3u << 19) - at));
    out->write (bytes.begin() + (3u << 19), bytes.getSize() - (3u << 19));
    ASSERT_EQ (juce::String(), failureOf (big.commit()));
    juce::MemoryBlock back;
    EXPECT_TRUE (scratch.folder.getChildFile ("big.bin").loadFileAsData (back) && back == bytes);
}
