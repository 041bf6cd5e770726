// Tolmar MSH Viewer - mshinfo: its JSON read back, its readable report, the program's exit status.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/TestSupport.h"

namespace
{
    struct Run
    {
        int status = -1;
        juce::String output;
        juce::var json() const { return juce::JSON::parse (output); }
    };

    Run mshinfo (const juce::StringArray& arguments)
    {
        juce::ChildProcess process;
        juce::StringArray command { MSHINFO_PATH };
        command.addArray (arguments);
        Run run;

        if (process.start (command, juce::ChildProcess::wantStdOut))
        {
            run.output = process.readAllProcessOutput();
            process.waitForProcessToFinish (60000);
            run.status = (int) process.getExitCode();
        }

        return run;
    }
}

TEST (MshInfo, JsonDescribesEveryObjectInFileOrderWithEscapedTextAndExactFloats)
{
    MshMesh rich;
    buildRichMesh (rich); // root { A { HP_ÿ } B } beside_root
    rich.root.name = juce::String ("q\"b\\\n") + juce::String::charToString (1);
    rich.root.matrix[12] = std::numeric_limits<float>::quiet_NaN();
    rich.root.matrix[13] = 0.1f;
    setCameraWords (rich, 10.0f, 1e-30f, 3.4028235e38f);
    ScratchFolder scratch;
    const auto run = mshinfo ({ "--json", scratch.write ("rich.msh", mshWriteToMemory (rich)).getFullPathName() });
    EXPECT_EQ (0, run.status);

    const auto json = run.json();
    EXPECT_TRUE ((bool) json["loaded"] && json["error"].isVoid()) << run.output;
    EXPECT_EQ (rich.headerString, json["headerString"].toString());
    EXPECT_EQ (0x7fffffff, (int) json["headerInts"][2]);
    EXPECT_EQ (1e-30f, (float) (double) json["camera"]["word18"]);
    EXPECT_EQ (3.4028235e38f, (float) (double) json["camera"]["word19"]);
    EXPECT_EQ (3, (int) json["lists"]["tripleEntries"]);
    EXPECT_EQ (13, json["lists"].getDynamicObject()->getProperties().size());

    const auto objects = json["objects"];
    ASSERT_EQ (5, objects.size());
    juce::StringArray shape;
    for (int i = 0; i < 5; ++i)
        shape.add (objects[i]["depth"].toString() + "/" + objects[i]["parent"].toString());
    EXPECT_EQ (juce::StringArray ({ "0/-1", "1/0", "2/1", "1/0", "0/-1" }), shape);

    const auto root = objects[0];
    EXPECT_EQ (rich.root.name, root["name"].toString());
    EXPECT_TRUE (root["translation"][0].isVoid()) << "NaN";
    EXPECT_EQ (0.1f, (float) (double) root["translation"][1]);
    EXPECT_EQ (juce::String ("40/13/1"), root["indices"].toString() + "/" + root["triangles"].toString() + "/" + root["badIndices"].toString());
    const juce::juce_wchar hpName[] = { 'H', 'P', '_', 0xff, 0 };
    EXPECT_EQ (juce::String (juce::CharPointer_UTF32 (hpName)), objects[2]["name"].toString());
    EXPECT_TRUE ((bool) objects[2]["isHp"]);
    EXPECT_EQ (4294967295.0, (double) objects[2]["flags"]);
    EXPECT_EQ (juce::String ("beside_root"), objects[4]["name"].toString());
}

TEST (MshInfo, TheReportAndTheExitStatusTellPeopleAndScriptsWhatHappened)
{
    ScratchFolder scratch;
    MshMesh model;
    buildSampleMesh (model);
    auto run = mshinfo ({ scratch.write ("good.msh", mshWriteToMemory (model)).getFullPathName() });
    EXPECT_EQ (0, run.status);
    EXPECT_TRUE (run.output.contains ("\n  \"cart_base\"  flags 0x100 (Is Collidable)")) << run.output;
    EXPECT_TRUE (run.output.contains ("\n        \"hp_gun\"  flags 0x0 (Is an HP)  translation (1.5, 0, 0)"));
    EXPECT_TRUE (run.output.contains ("\"collision_hull\"  flags 0x500 (Is Collidable, Is Hidden from in-game)"));

    // Cut inside the root's vertex list: it loads, with the two end-marker warnings.
    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.mesh (model);
    const auto vertices = (size_t) w.counts[13 + 2].offset;
    run = mshinfo ({ "--json", scratch.write ("cut.msh", juce::MemoryBlock (out.getData(), vertices + 4 + 32 * model.root.vertices.size() / 2)).getFullPathName() });
    EXPECT_EQ (1, run.status);
    EXPECT_EQ (2, (int) run.json()["warnings"]);
    EXPECT_EQ ((int) model.root.vertices.size(), (int) run.json()["objects"][0]["vertices"]);

    auto huge = out.getMemoryBlock();
    mshPutLittleEndian32 (huge.begin() + w.counts[0].offset, 0xffffffffu);
    scratch.folder.getChildFile ("folder").createDirectory();
    for (auto& file : { scratch.write ("too-many.msh", huge), scratch.write ("empty.msh", {}),
                        scratch.folder.getChildFile ("missing.msh"), scratch.folder.getChildFile ("folder") })
    {
        run = mshinfo ({ "--json", file.getFullPathName() });
        EXPECT_EQ (2, run.status) << file.getFileName();
        EXPECT_FALSE ((bool) run.json()["loaded"]);
        EXPECT_TRUE (run.json()["error"].isString());
    }

    EXPECT_EQ (64, mshinfo ({}).status);
    EXPECT_EQ (64, mshinfo ({ "a.msh", "b.msh" }).status);
}
