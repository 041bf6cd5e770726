// Tolmar MSH Viewer - the tools stopped halfway and run side by side: a signal leaves nothing of a write
// behind, and two writers of one file set never mix their files.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/import/MeshImport.h"
#include "msh/TestSupport.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
    // Vertex-heavy: a conversion of it takes long enough to be stopped while it writes.
    void buildHeavy (MshMesh& mesh)
    {
        mesh.clear();
        for (int i = 0; i < 24; ++i)
        {
            auto& part = addChild (mesh.root, "part" + juce::String (i));
            part.vertices.resize (65535);
            for (size_t v = 0; v < part.vertices.size(); ++v)
                part.vertices[v] = { (float) v, (float) i, 0, 0, 0, 1, (float) (v % 7), 0.5f };
            part.indices.resize (65535);
            for (size_t k = 0; k < part.indices.size(); ++k)
                part.indices[k] = (juce::uint16) k;
        }
    }

    juce::Array<juce::File> temporaries (const juce::File& folder)
    {
        return folder.findChildFiles (juce::File::findFiles, false, ".*");
    }

    struct Stop
    {
        std::string name;
        int signal;
    };

    void PrintTo (const Stop& c, std::ostream* out) { *out << c.name; }

    class Stopped : public ::testing::TestWithParam<Stop> {};
}

TEST_P (Stopped, ConversionEndsWithStatus128PlusTheSignalLeavingNothing)
{
    ScratchFolder scratch;
    MshMesh heavy;
    buildHeavy (heavy);
    const auto input = scratch.folder.getChildFile ("heavy.msh");
    ASSERT_EQ (juce::String(), failureOf (mshWriteToFile (heavy, input)));

    const auto pid = ::fork();
    ASSERT_GE (pid, 0);

    if (pid == 0)
    {
        ::signal (GetParam().signal, SIG_DFL);
        ::execl (MSHCONVERT_PATH, MSHCONVERT_PATH, "--format", "gltf", "-o", scratch.folder.getChildFile ("out.gltf").getFullPathName().toRawUTF8(),
                 input.getFullPathName().toRawUTF8(), (char*) nullptr);
        ::_exit (127);
    }

    // Stopped once it writes: its first temporary file is there.
    const auto start = juce::Time::getMillisecondCounter();
    while (temporaries (scratch.folder).isEmpty() && juce::Time::getMillisecondCounter() - start < 30000)
        juce::Thread::sleep (1);

    ASSERT_FALSE (temporaries (scratch.folder).isEmpty()) << "the conversion never wrote";
    ::kill (pid, GetParam().signal);
    int status = 0;
    ::waitpid (pid, &status, 0);

    EXPECT_TRUE (WIFEXITED (status) && WEXITSTATUS (status) == 128 + GetParam().signal) << "status " << status;
    EXPECT_EQ (0, temporaries (scratch.folder).size()) << temporaries (scratch.folder)[0].getFileName();
    EXPECT_FALSE (scratch.folder.getChildFile ("out.gltf").exists());
}

INSTANTIATE_TEST_SUITE_P (Signals, Stopped, ::testing::Values (Stop { "interrupt", SIGINT }, Stop { "terminate", SIGTERM }, Stop { "hang_up", SIGHUP }),
                          CaseName());

TEST (TwoWriters, OfOneFileSetNeverMixTheirFiles)
{
    ScratchFolder scratch;
    MshMesh sample, rich;
    buildSampleMesh (sample);
    buildRichMesh (rich);
    const auto a = scratch.write ("a.msh", mshWriteToMemory (sample)), b = scratch.write ("b.msh", mshWriteToMemory (rich));
    const auto target = scratch.folder.getChildFile ("x.gltf");

    for (int round = 0; round < 50; ++round)
    {
        juce::ChildProcess first, second;
        ASSERT_TRUE (first.start (juce::StringArray { MSHCONVERT_PATH, "--format", "gltf", "-o", target.getFullPathName(), a.getFullPathName() }, 0));
        ASSERT_TRUE (second.start (juce::StringArray { MSHCONVERT_PATH, "--format", "gltf", "-o", target.getFullPathName(), b.getFullPathName() }, 0));
        first.waitForProcessToFinish (60000);
        second.waitForProcessToFinish (60000);
        ASSERT_TRUE (first.getExitCode() == 0 && second.getExitCode() == 0) << "round " << round;

        MshMesh read;
        const auto said = failureOf (importMesh (target, read));
        ASSERT_TRUE (said.isEmpty() && (sameModel (read, sample) || sameModel (read, rich))) << "round " << round << ": a mixed set " << said;
    }
}
