// Tolmar MSH Viewer - meshes through Blender and back, as modders take them: untouched files come back as
// they were, and each edit made in Blender arrives alone.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/MshGeometry.h"
#include "msh/MshReader.h"
#include "msh/TestSupport.h"

#include <map>

namespace
{
    bool hasBlender()
    {
        static const bool found = runProgram ({ "sh", "-c", "command -v blender" }) == 0;
        return found;
    }

    // The seed files, and Blender run with a home, add-on folder and PATH of the test's own.
    struct BlenderScratch : ScratchFolder
    {
        BlenderScratch()
        {
            runProgram ({ MSHGEN_PATH, "seeds", at ("seeds") });
            folder.getChildFile ("scripts/addons").createDirectory();
            juce::File (ADDON_SOURCE).copyFileTo (folder.getChildFile ("scripts/addons/io_scene_tolmar_msh.py"));
        }

        juce::String at (const juce::String& name) const   { return folder.getChildFile (name).getFullPathName(); }

        int blender (const juce::String& way, const juce::String& in, const juce::String& out, const juce::String& edit = {}) const
        {
            juce::String output;
            const auto status = runProgram ({ "env", "HOME=" + at (""), "BLENDER_USER_SCRIPTS=" + at ("scripts"),
                                       "PATH=" + juce::File (MSHCONVERT_PATH).getParentDirectory().getFullPathName() + ":/usr/bin:/bin",
                                       "blender", "-b", "--factory-startup", "--python-exit-code", "1", "--python", BLENDER_PEER_SCRIPT,
                                       "--", way, in, out, edit }, &output, true);
            EXPECT_EQ (0, status) << output.getLastCharacters (2000);
            return status;
        }
    };

    MshMesh& load (MshMesh& mesh, const juce::String& file, bool* warned = nullptr)
    {
        EXPECT_TRUE (mshLoadFile (mesh, file, [warned] (const MshWarning&) { if (warned != nullptr) *warned = true; }).ok()) << file;
        return mesh;
    }

    // Each object of a model by its path of names, as the bytes of its own fields.
    std::map<juce::String, juce::MemoryBlock> objectsOf (const MshMesh& mesh)
    {
        std::map<juce::String, juce::MemoryBlock> objects;
        std::map<const MshObject*, juce::String> paths;
        mshForEachPlacedObject (mesh.root, true, { 0, 0, 0 }, [&] (const MshObject& o, double, double, double)
        {
            paths[&o] += o.name;
            for (auto* c = o.firstChild.get(); c != nullptr; c = c->nextSibling.get())
                paths[c] = paths[&o] + "/";
            juce::MemoryOutputStream bytes;
            MshWriter w (bytes);
            w.shortString (o.name).int32 (o.valueA).int32 (o.valueB).uint32 (o.flags).bytes (o.matrix.data(), sizeof (o.matrix));
            w.packedList (o.list4).packedList (o.list16).entryList (o.quadEntries, &MshWriter::quadEntry).packedList (o.vertices).packedList (o.indices);
            objects[paths[&o]] = bytes.getMemoryBlock();
        });
        return objects;
    }

    // The paths whose objects differ, or that only one model has.
    juce::StringArray differing (const MshMesh& a, const MshMesh& b)
    {
        const auto x = objectsOf (a), y = objectsOf (b);
        juce::StringArray paths;
        for (const auto& [path, bytes] : x)
            if (y.count (path) == 0 || y.at (path) != bytes)
                paths.add (path);
        for (const auto& [path, bytes] : y)
            if (x.count (path) == 0)
                paths.add (path);
        return paths;
    }

    struct RoundTrip
    {
        std::string name;
        juce::String input, way, format;
        bool base;
    };

    void PrintTo (const RoundTrip& c, std::ostream* out) { *out << c.name; }

    std::vector<RoundTrip> roundTrips()
    {
        std::vector<RoundTrip> cases;
        for (const char* input : { "sample", "rich", "deep", "long", "smallest", "negative-string", "rich-bad-end-marker" })
            for (const auto& [way, format, base] : { std::tuple ("glb", "glb", true), std::tuple ("gltf", "gltf", true), std::tuple ("glb-properties", "glb", false),
                                                     std::tuple ("gltf-properties", "gltf", false), std::tuple ("obj", "obj", true), std::tuple ("addon", "msh", false) })
                cases.push_back ({ juce::String (input).replace ("-", "_").toStdString() + "_" + juce::String (way).replace ("-", "_").toStdString(), input, way, format, base });
        return cases;
    }

    class ThroughBlender : public ::testing::TestWithParam<RoundTrip> {};
}

TEST_P (ThroughBlender, AnUntouchedFileComesBackAsTheDirectRoundTripBringsIt)
{
    if (! hasBlender())
        GTEST_SKIP() << "Blender is not installed (scripts/setup.sh installs Debian's blender and python3-numpy)";

    const auto& c = GetParam();
    BlenderScratch scratch;
    const auto original = scratch.at ("seeds/" + c.input + ".msh"), exported = scratch.at ("in." + c.format);
    bool warned = false;
    MshMesh before, direct, back;
    load (before, original, &warned);

    // The direct round trip: out and in again with no editor between.
    const auto via = c.format == "msh" ? juce::String ("glb") : c.format;
    runProgram ({ MSHCONVERT_PATH, "-o", scratch.at ("direct." + via), original });
    runProgram ({ MSHCONVERT_PATH, "-o", scratch.at ("direct.msh"), scratch.at ("direct." + via) });

    if (c.format == "msh")
    {
        ASSERT_EQ (0, scratch.blender (c.way, original, scratch.at ("back.msh")));
    }
    else
    {
        runProgram ({ MSHCONVERT_PATH, "-o", exported, original });
        ASSERT_EQ (0, scratch.blender (c.way, exported, scratch.at ("out." + c.format)));
        juce::StringArray convert { MSHCONVERT_PATH, "-o", scratch.at ("back.msh"), scratch.at ("out." + c.format) };
        if (c.base)
            convert.addArray ({ "--base", original });
        juce::String said;
        EXPECT_EQ (c.base && warned ? 1 : 0, runProgram (convert, &said, true)) << said;
    }

    load (back, scratch.at ("back.msh"));

    if (c.format != "obj")
    {
        EXPECT_TRUE (sameModel (load (direct, scratch.at ("direct.msh")), back)) << differing (direct, back).joinIntoString (", ");
        return;
    }

    // OBJ keeps six decimals: an object whose positions needed more has them to six decimals, and
    // everything else of the base (header, lists, hierarchy, names, flags, matrices).
    mshForEachPlacedObject (back.root, true, { 0, 0, 0 }, [&] (const MshObject& o, double, double, double)
    {
        auto* was = named (before.root, o.name.toRawUTF8());
        ASSERT_NE (nullptr, was) << o.name;
        const auto a = mshObjectBox (o), b = mshObjectBox (*was);
        EXPECT_EQ (b.trianglesDrawn, a.trianglesDrawn) << o.name;
        for (size_t i = 0; i < 3; ++i)
            EXPECT_TRUE (b.trianglesDrawn == 0 || (std::abs (a.low[i] - b.low[i]) < 1e-5f && std::abs (a.high[i] - b.high[i]) < 1e-5f)) << o.name;
        was->vertices = o.vertices;
        was->indices = o.indices;
    });
    EXPECT_TRUE (sameModel (before, back)) << differing (before, back).joinIntoString (", ");
}

INSTANTIATE_TEST_SUITE_P (Seeds, ThroughBlender, ::testing::ValuesIn (roundTrips()), CaseName());

namespace
{
    struct Edit
    {
        std::string name;
        juce::String edit, way;
        juce::StringArray paths;      // of the objects it changes, adds or removes
        juce::String said;            // the report's lines, or a warning
        std::function<void (const MshMesh& before, MshMesh& after)> check = [] (const MshMesh&, const MshMesh&) {};
    };

    void PrintTo (const Edit& c, std::ostream* out) { *out << c.name; }

    class EditInBlender : public ::testing::TestWithParam<Edit> {};
}

TEST_P (EditInBlender, ArrivesAlone)
{
    if (! hasBlender())
        GTEST_SKIP() << "Blender is not installed (scripts/setup.sh installs Debian's blender and python3-numpy)";

    const auto& c = GetParam();
    BlenderScratch scratch;
    const auto original = scratch.at ("seeds/sample.msh");
    runProgram ({ MSHCONVERT_PATH, "-o", scratch.at ("in.glb"), original });
    ASSERT_EQ (0, scratch.blender (c.way, scratch.at ("in.glb"), scratch.at ("out.glb"), c.edit));
    juce::StringArray convert { MSHCONVERT_PATH, "-o", scratch.at ("back.msh"), scratch.at ("out.glb") };
    if (c.way == "glb")
        convert.addArray ({ "--base", original });
    juce::String said;
    runProgram (convert, &said, true);
    EXPECT_TRUE (said.contains (c.said)) << said;

    MshMesh before, after;
    load (before, original);
    load (after, scratch.at ("back.msh"));
    auto paths = differing (before, after);
    paths.sort (false);
    EXPECT_EQ (c.paths.joinIntoString (", "), paths.joinIntoString (", "));
    c.check (before, after);
}

INSTANTIATE_TEST_SUITE_P (Sample, EditInBlender, ::testing::Values (
    Edit { "vertex_moved", "vertex", "glb", { "cart_base/cabin/turret" }, "changed: turret (geometry)\nunchanged: 8 objects",
           [] (const MshMesh& before, const MshMesh& after) { EXPECT_EQ (mshObjectBox (*named (before.root, "turret")).trianglesDrawn, mshObjectBox (*named (after.root, "turret")).trianglesDrawn); } },
    Edit { "vertex_moved_with_properties", "vertex", "glb-properties", { "cart_base/cabin/turret" }, "" },
    Edit { "renamed", "rename", "glb", { "cart_base/lamp", "cart_base/lantern" }, "new: lantern\ndeleted: lamp\nunchanged: 8 objects" },
    Edit { "renamed_with_properties", "rename", "glb-properties", { "cart_base/lamp", "cart_base/lantern" }, "",
           [] (const MshMesh& before, MshMesh& after)
           {
               named (after.root, "lantern")->name = "lamp";
               EXPECT_TRUE (sameModel (before, after)) << "nothing but the name";
           } },
    Edit { "moved", "move", "glb", { "cart_base/banner" }, "changed: banner (translation)\nunchanged: 8 objects",
           [] (const MshMesh& before, const MshMesh& after) { EXPECT_NEAR (named (before.root, "banner")->matrix[12] + 1, named (after.root, "banner")->matrix[12], 1e-6); } },
    Edit { "deleted", "delete", "glb", { "cart_base/collision_hull" }, "deleted: collision_hull\nunchanged: 8 objects" },
    Edit { "child_added", "add", "glb", { "cart_base/cabin/crate" }, "new: crate\nunchanged: 9 objects",
           [] (const MshMesh&, const MshMesh& after) { EXPECT_EQ (12u, mshObjectBox (*named (after.root, "crate")).trianglesDrawn); } },
    Edit { "child_added_with_properties", "add", "glb-properties", { "cart_base/cabin/crate" }, "\"crate\": no .msh data in extras" },
    Edit { "flags_changed_with_properties", "flags", "glb-properties", { "cart_base/cabin/turret" }, "",
           [] (const MshMesh&, const MshMesh& after) { EXPECT_EQ (272u, named (after.root, "turret")->flags); } },
    Edit { "hp_mark_changed_with_properties", "hp", "glb-properties", {}, "isHp true in extras is not what its name says" }),
    CaseName());
