// Tolmar MSH Viewer - mshinfo: its JSON read back, its readable report, the program's exit status.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/TestSupport.h"

namespace
{
    // The exit status and the output of mshinfo with these arguments.
    std::pair<int, juce::String> mshinfo (const juce::StringArray& arguments)
    {
        juce::ChildProcess process;
        juce::StringArray command { MSHINFO_PATH };
        command.addArray (arguments);

        if (! process.start (command, juce::ChildProcess::wantStdOut))
            return { -1, {} };

        const auto output = process.readAllProcessOutput();
        process.waitForProcessToFinish (60000);
        return { (int) process.getExitCode(), output };
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
    const auto [status, output] = mshinfo ({ "--json", scratch.write ("rich.msh", mshWriteToMemory (rich)).getFullPathName() });
    EXPECT_EQ (0, status);

    const auto json = juce::JSON::parse (output);
    EXPECT_TRUE ((bool) json["loaded"] && json["error"].isVoid()) << output;
    EXPECT_EQ (rich.headerString, json["headerString"].toString());
    EXPECT_EQ (0x7fffffff, (int) json["headerInts"][2]);
    EXPECT_TRUE ((float) (double) json["camera"]["word18"] == 1e-30f && (float) (double) json["camera"]["word19"] == 3.4028235e38f);
    EXPECT_EQ (3, (int) json["lists"]["tripleEntries"]);
    EXPECT_EQ (13, json["lists"].getDynamicObject()->getProperties().size());

    const auto objects = json["objects"];
    juce::StringArray shape;
    for (int i = 0; i < objects.size(); ++i)
        shape.add (objects[i]["depth"].toString() + "/" + objects[i]["parent"].toString());
    EXPECT_EQ (juce::StringArray ({ "0/-1", "1/0", "2/1", "1/0", "0/-1" }), shape);
    const auto root = objects[0];
    EXPECT_EQ (rich.root.name, root["name"].toString());
    EXPECT_TRUE (root["translation"][0].isVoid() && (float) (double) root["translation"][1] == 0.1f) << "NaN is null";
    EXPECT_EQ (juce::String ("40/13/1"), root["indices"].toString() + "/" + root["triangles"].toString() + "/" + root["badIndices"].toString());
    const juce::juce_wchar hpName[] = { 'H', 'P', '_', 0xff, 0 };
    EXPECT_EQ (juce::String (juce::CharPointer_UTF32 (hpName)), objects[2]["name"].toString());
    EXPECT_TRUE ((bool) objects[2]["isHp"] && (double) objects[2]["flags"] == 4294967295.0);
    EXPECT_EQ (juce::String ("beside_root"), objects[4]["name"].toString());
}

TEST (MshInfo, TheReportAndTheExitStatusTellPeopleAndScriptsWhatHappened)
{
    ScratchFolder scratch;
    auto [status, output] = mshinfo ({ scratch.write ("good.msh", sampleFileBytes()).getFullPathName() });
    EXPECT_EQ (0, status);
    EXPECT_TRUE (output.contains ("\n  \"cart_base\"  flags 0x100 (Is Collidable)")) << output;
    EXPECT_TRUE (output.contains ("\n        \"hp_gun\"  flags 0x0 (Is an HP)  translation (1.5, 0, 0)"));
    EXPECT_TRUE (output.contains ("\"collision_hull\"  flags 0x500 (Is Collidable, Is Hidden from in-game)"));

    // Cut inside the root's vertex list: it loads, with the two end-marker warnings and the list whole.
    juce::MemoryOutputStream out;
    MshWriter w (out);
    MshMesh model;
    buildSampleMesh (model);
    w.mesh (model);
    const auto vertices = (size_t) w.counts[13 + 2].offset;
    std::tie (status, output) = mshinfo ({ "--json", scratch.write ("cut.msh", juce::MemoryBlock (out.getData(), vertices + 4 + 32 * 10)).getFullPathName() });
    EXPECT_EQ (1, status);
    EXPECT_EQ (2, (int) juce::JSON::parse (output)["warnings"]);
    EXPECT_EQ ((int) model.root.vertices.size(), (int) juce::JSON::parse (output)["objects"][0]["vertices"]);

    auto huge = out.getMemoryBlock();
    mshPutLittleEndian32 (huge.begin() + w.counts[0].offset, 0xffffffffu);
    scratch.folder.getChildFile ("folder").createDirectory();
    for (auto& file : { scratch.write ("too-many.msh", huge), scratch.write ("empty.msh", {}),
                        scratch.folder.getChildFile ("missing.msh"), scratch.folder.getChildFile ("folder") })
    {
        std::tie (status, output) = mshinfo ({ "--json", file.getFullPathName() });
        EXPECT_EQ (2, status) << file.getFileName();
        EXPECT_TRUE (! (bool) juce::JSON::parse (output)["loaded"] && juce::JSON::parse (output)["error"].isString());
    }

    // Several files: one JSON line each, the worst status; totals and bounds of what the view draws.
    std::tie (status, output) = mshinfo ({ "--json", scratch.folder.getChildFile ("good.msh").getFullPathName(), scratch.folder.getChildFile ("cut.msh").getFullPathName() });
    const auto lines = juce::StringArray::fromLines (output.trim());
    ASSERT_EQ (2, lines.size());
    EXPECT_EQ (1, status);
    const auto good = juce::JSON::parse (lines[0]);
    EXPECT_EQ (juce::String ("{\"objects\": 9, \"vertices\": 411, \"trianglesDrawn\": 418, \"trianglesLeftOut\": 0}"),
               juce::JSON::toString (good["totals"], true));
    EXPECT_EQ (juce::String ("{\"min\": [-3.7, -1, -4], \"max\": [3.7, 3.75, 4]}"), juce::JSON::toString (good["bounds"], true));
    EXPECT_TRUE (mshinfo ({ scratch.folder.getChildFile ("good.msh").getFullPathName() }).second.contains ("\ntotals: 9 objects, 411 vertices, 418 triangles drawn, 0 left out\nbounds: (-3.7, -1, -4) to (3.7, 3.75, 4)\n"));
    EXPECT_EQ (0, mshinfo ({ "--help" }).first);
    EXPECT_EQ (64, mshinfo ({}).first);
}
