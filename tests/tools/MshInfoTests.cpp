// Tolmar MSH Viewer - mshinfo: its JSON read back, its readable report, and the program's exit status.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/TestSupport.h"
#include "tools/MshInfoReport.h"
#include "tools/SampleMeshes.h"

#include <sstream>

namespace
{
    struct Run
    {
        int status = -1;
        juce::String output;
    };

    Run runMshInfo (const juce::StringArray& arguments)
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

    juce::var jsonFor (const MshMesh& model, juce::String* text = nullptr)
    {
        ScratchFolder scratch;
        const auto file = scratch.write ("in.msh", mshWriteToMemory (model));
        MshMesh mesh;
        MshInfoLoad load;
        load.file = "in.msh";
        load.load (mesh, file);

        std::ostringstream out;
        writeJsonReport (out, mesh, load);

        if (text != nullptr)
            *text = juce::String::fromUTF8 (out.str().data(), (int) out.str().size());

        juce::var parsed;
        const auto result = juce::JSON::parse (juce::String::fromUTF8 (out.str().data(), (int) out.str().size()), parsed);
        EXPECT_TRUE (result.wasOk()) << result.getErrorMessage() << "\n" << out.str();
        return parsed;
    }
}

TEST (MshInfo, JsonDescribesEveryObjectInFileOrder)
{
    MshMesh rich;
    buildRichMesh (rich);
    const auto json = jsonFor (rich);

    EXPECT_TRUE ((bool) json["loaded"]);
    EXPECT_TRUE (json["error"].isVoid());
    EXPECT_EQ (0, (int) json["warnings"]);
    EXPECT_EQ (rich.headerString, json["headerString"].toString());
    EXPECT_EQ (0.5, (double) json["headerFloat"]);
    EXPECT_EQ (0x7fffffff, (int) json["headerInts"][2]);
    EXPECT_EQ (10.0, (double) json["camera"]["word0"]);
    EXPECT_EQ (8.0, (double) json["camera"]["word18"]);
    EXPECT_EQ (2.0, (double) json["camera"]["word19"]);
    EXPECT_EQ (3, (int) json["lists"]["tripleEntries"]);
    EXPECT_EQ (2, (int) json["lists"]["namedGroups"]);
    EXPECT_EQ (13, json["lists"].getDynamicObject()->getProperties().size());

    auto* objects = json["objects"].getArray();
    ASSERT_NE (nullptr, objects);
    ASSERT_EQ (5, objects->size());

    struct Row { const char* name; int depth; int parent; };
    const Row rows[] = { { "root", 0, -1 }, { "A", 1, 0 }, { nullptr, 2, 1 }, { "B", 1, 0 }, { "beside_root", 0, -1 } };

    for (int i = 0; i < 5; ++i)
    {
        SCOPED_TRACE (i);
        const auto o = (*objects)[i];

        if (rows[i].name != nullptr)
        {
            EXPECT_EQ (juce::String (rows[i].name), o["name"].toString());
        }

        EXPECT_EQ (rows[i].depth, (int) o["depth"]);
        EXPECT_EQ (rows[i].parent, (int) o["parent"]);
    }

    // Latin-1 text comes out as the same code points; flags as an unsigned number.
    const auto a1 = (*objects)[2];
    const juce::juce_wchar hpName[] = { 'H', 'P', '_', 0xff, 0 };
    EXPECT_EQ (juce::String (juce::CharPointer_UTF32 (hpName)), a1["name"].toString());
    EXPECT_TRUE ((bool) a1["isHp"]);
    EXPECT_EQ (4294967295.0, (double) a1["flags"]);
    EXPECT_EQ (2.0, (double) a1["translation"][1]);

    const auto root = (*objects)[0];
    EXPECT_EQ (40, (int) root["indices"]);
    EXPECT_EQ (13, (int) root["triangles"]);
    EXPECT_EQ (1, (int) root["badIndices"]);
    EXPECT_EQ (24, (int) root["vertices"]);
    EXPECT_EQ (0x310, (int) root["flags"]);
}

TEST (MshInfo, JsonEscapesTextAndWritesNonFiniteFloatsAsNull)
{
    MshMesh model;
    model.root.name = juce::String ("q\"b\\n\n") + juce::String::charToString (1) + juce::String::charToString (0x7f);
    model.root.matrix[12] = std::numeric_limits<float>::quiet_NaN();
    model.root.matrix[13] = -std::numeric_limits<float>::infinity();
    model.root.matrix[14] = 0.1f;
    setCameraWords (model, std::numeric_limits<float>::quiet_NaN(), 1e-30f, 3.4028235e38f);

    juce::String text;
    const auto json = jsonFor (model, &text);
    EXPECT_TRUE (text.contains ("\\u0001"));
    const auto root = json["objects"][0];
    EXPECT_EQ (model.root.name, root["name"].toString());
    EXPECT_TRUE (root["translation"][0].isVoid());
    EXPECT_TRUE (root["translation"][1].isVoid());
    // Floats read back as the same float32.
    EXPECT_EQ (0.1f, (float) (double) root["translation"][2]);
    EXPECT_TRUE (json["camera"]["word0"].isVoid());
    EXPECT_EQ (1e-30f, (float) (double) json["camera"]["word18"]);
    EXPECT_EQ (3.4028235e38f, (float) (double) json["camera"]["word19"]);
}

TEST (MshInfo, ReadableReportIndentsTheTreeAndNamesTheFlags)
{
    MshMesh rich;
    buildRichMesh (rich);
    ScratchFolder scratch;
    MshMesh mesh;
    MshInfoLoad load;
    load.file = "rich.msh";
    load.load (mesh, scratch.write ("rich.msh", mshWriteToMemory (rich)));

    std::ostringstream out;
    writeTextReport (out, mesh, load);
    const auto report = out.str();

    EXPECT_NE (std::string::npos, report.find ("\n  \"root\"  flags 0x310 (Is Collidable, Is drawn on both sides of triangles, Is lit up)"));
    EXPECT_NE (std::string::npos, report.find ("\n    \"A\"  flags 0x100 (Is Collidable)"));
    EXPECT_NE (std::string::npos, report.find ("flags 0xffffffff (Is Collidable, Is drawn on both sides of triangles, "
                                               "Is Hidden from in-game, Is lit up, Is an HP)  translation (0, 2, 0)"));
    EXPECT_NE (std::string::npos, report.find ("\n  \"beside_root\""));
    EXPECT_NE (std::string::npos, report.find ("triangles 13  bad indices 1"));
}

TEST (MshInfo, ExitStatusTellsScriptsWhatHappened)
{
    ScratchFolder scratch;
    MshMesh model;
    buildSampleMesh (model);
    const auto good = scratch.write ("good.msh", mshWriteToMemory (model));

    juce::MemoryOutputStream out;
    MshWriter w (out);
    w.endMarkerFor = [] (const MshObject& o) { return o.name == "cabin" ? 0u : MshMarker::objectEnd; };
    w.mesh (model);
    const auto warned = scratch.write ("warned.msh", out.getMemoryBlock());

    auto huge = out.getMemoryBlock();
    mshPutLittleEndian32 (huge.begin() + w.counts[0].offset, 0xffffffffu);
    const auto tooMany = scratch.write ("too-many.msh", huge);
    const auto empty = scratch.write ("empty.msh", {});

    auto run = runMshInfo ({ good.getFullPathName() });
    EXPECT_EQ (0, run.status);
    EXPECT_TRUE (run.output.contains ("\"hp_gun\"")) << run.output;

    run = runMshInfo ({ "--json", warned.getFullPathName() });
    EXPECT_EQ (1, run.status);
    EXPECT_EQ (1, (int) juce::JSON::parse (run.output)["warnings"]);

    for (auto& file : { tooMany, empty, scratch.file ("missing.msh"), scratch.file ("") })
    {
        run = runMshInfo ({ "--json", file.getFullPathName() });
        EXPECT_EQ (2, run.status) << file.getFullPathName();
        const auto json = juce::JSON::parse (run.output);
        EXPECT_FALSE ((bool) json["loaded"]);
        EXPECT_TRUE (json["error"].isString());
    }

    EXPECT_EQ (64, runMshInfo ({}).status);
    EXPECT_EQ (64, runMshInfo ({ good.getFullPathName(), good.getFullPathName() }).status);
}
