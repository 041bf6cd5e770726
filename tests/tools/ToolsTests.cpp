// Tolmar MSH Viewer - the command-line tools as scripts run them: mshinfo's reports and exit status,
// mshconvert's files the Khronos validator accepts and tinygltf reads back, mshrender's pictures.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/RainbowTexture.h"
#include "msh/MshGeometry.h"
#include "msh/MshReader.h"
#include "msh/TestSupport.h"

#include <stb/stb_image.h>
#include <tiny_gltf.h>

namespace
{
    // A PNG file's RGBA pixels, decoded by stb_image.
    struct Rgba
    {
        explicit Rgba (const juce::String& file) : data (stbi_load (file.toRawUTF8(), &width, &height, &channels, 4), stbi_image_free) {}
        std::array<int, 4> at (int x, int y) const { const auto* p = data.get() + 4 * (y * width + x); return { p[0], p[1], p[2], p[3] }; }
        int width = 0, height = 0, channels = 0;
        std::unique_ptr<unsigned char, void (*) (void*)> data;
    };
}

namespace
{
    // The rich mesh (root { A { HP_ÿ } B } beside_root) with a root named with quotes and control
    // characters, moved by not a number, and camera words at the ends of the float range.
    juce::String writeOddRich (const ScratchFolder& scratch, MshMesh& rich)
    {
        buildRichMesh (rich);
        rich.root.name = juce::String ("q\"b\\\n\r\x7f") + juce::String::charToString (1);
        rich.root.matrix[12] = std::numeric_limits<float>::quiet_NaN();
        rich.root.matrix[13] = 0.1f;
        setCameraWords (rich, 10.0f, 1e-30f, 3.4028235e38f);
        return scratch.write ("rich.msh", mshWriteToMemory (rich)).getFullPathName();
    }
}

TEST (MshInfo, JsonDescribesEveryObjectInFileOrderExactly)
{
    ScratchFolder scratch;
    MshMesh rich;
    writeOddRich (scratch, rich);
    juce::String output;
    const auto status = runProgram ({ MSHINFO_PATH, "--json", scratch.folder.getChildFile ("rich.msh").getFullPathName() }, &output);
    EXPECT_EQ (0, status);

    const auto json = juce::JSON::parse (output);
    EXPECT_TRUE ((bool) json["loaded"] && json["error"].isVoid() && output.contains (R"("name":"q\"b\\\n\r)" "\x7f" R"(\u0001")")) << output;
    EXPECT_EQ (rich.headerString, json["headerString"].toString());
    EXPECT_EQ (0x7fffffff, (int) json["headerInts"][2]);
    EXPECT_TRUE ((float) (double) json["camera"]["word18"] == 1e-30f && (float) (double) json["camera"]["word19"] == 3.4028235e38f);
    EXPECT_EQ (3, (int) json["lists"]["tripleEntries"]);
    EXPECT_EQ (13, json["lists"].getDynamicObject()->getProperties().size());

    const auto objects = json["objects"];
    EXPECT_EQ (juce::String ("[0, 1, 2, 1, 0] [-1, 0, 1, 0, -1]"), juce::JSON::toString (juce::Array<juce::var> { objects[0]["depth"], objects[1]["depth"], objects[2]["depth"], objects[3]["depth"], objects[4]["depth"] }, true)
                                                                    + " " + juce::JSON::toString (juce::Array<juce::var> { objects[0]["parent"], objects[1]["parent"], objects[2]["parent"], objects[3]["parent"], objects[4]["parent"] }, true));
    const auto root = objects[0];
    EXPECT_EQ (rich.root.name, root["name"].toString());
    EXPECT_TRUE (root["translation"][0].isVoid() && (float) (double) root["translation"][1] == 0.1f) << "NaN is null";
    EXPECT_EQ (juce::String ("40/13/1"), root["indices"].toString() + "/" + root["triangles"].toString() + "/" + root["badIndices"].toString());
    const juce::juce_wchar hpName[] = { 'H', 'P', '_', 0xff, 0 };
    EXPECT_EQ (juce::String (juce::CharPointer_UTF32 (hpName)), objects[2]["name"].toString());
    EXPECT_TRUE ((bool) objects[2]["isHp"] && (double) objects[2]["flags"] == 4294967295.0);
    EXPECT_EQ (juce::String ("beside_root"), objects[4]["name"].toString());
}

TEST (MshInfo, TheTextReportEscapesNamesAsTheJsonDoes)
{
    ScratchFolder scratch;
    MshMesh rich;
    juce::String output;
    runProgram ({ MSHINFO_PATH, writeOddRich (scratch, rich) }, &output);
    EXPECT_TRUE (output.contains ("\ncamera words: word0 10, word18 1e-30, word19 3.4028235e+38\n")
                 && output.contains ("\n  \"q\"b\\\\x0a\\x0d\\x7f\\x01\"  flags 0x310")) << output;
}

namespace
{
    // The sample as a file, and cut inside the root's vertex list.
    struct InfoFiles
    {
        ScratchFolder scratch;
        MshMesh model;
        juce::MemoryOutputStream out;
        MshWriter w { out };
        juce::String good, cut;
        juce::String output;

        InfoFiles()
        {
            buildSampleMesh (model);
            w.mesh (model);
            good = scratch.write ("good.msh", out.getMemoryBlock()).getFullPathName();
            cut = scratch.write ("cut.msh", juce::MemoryBlock (out.getData(), (size_t) w.counts[13 + 2].offset + 4 + 32 * 10)).getFullPathName();
        }
    };
}

TEST (MshInfo, AFileCutShortLoadsWithWarningsExitStatus1)
{
    // Cut inside the root's vertex list: it loads, with the two end-marker warnings and the list whole.
    InfoFiles files;
    EXPECT_EQ (1, runProgram ({ MSHINFO_PATH, "--json", files.cut }, &files.output));
    EXPECT_EQ (2, (int) juce::JSON::parse (files.output)["warnings"]);
    EXPECT_EQ ((int) files.model.root.vertices.size(), (int) juce::JSON::parse (files.output)["objects"][0]["vertices"]);
}

TEST (MshInfo, OfManyWarningsTheFirst100AreToldTheRestCounted)
{
    // 150 wrong end markers; a bad index counted in the text too.
    ScratchFolder scratch;
    juce::String output;
    MshMesh chain;
    buildLongChain (chain, 149);
    chain.root.vertices.resize (3);
    chain.root.indices = { 0, 1, 9 };
    juce::MemoryOutputStream wrong;
    MshWriter writer (wrong);
    writer.endMarkerFor = [] (const MshObject&) { return 0x01020304u; };
    writer.mesh (chain);
    const auto wrongFile = scratch.write ("wrong.msh", wrong.getMemoryBlock()).getFullPathName();
    EXPECT_EQ (1, runProgram ({ MSHINFO_PATH, wrongFile }, &output));
    EXPECT_TRUE (output.contains ("\nwarning: end marker of object \"sibling0\" at byte " + juce::String (writer.objects[1].endMarker) + " reads 0x01020304, expected 0xa93eb864\n")
                 && output.contains ("\n(50 more warnings)\n") && output.contains ("  vertices 3  triangles 1  bad indices 1\n")) << output;
    runProgram ({ MSHINFO_PATH, "--json", wrongFile }, &output);
    EXPECT_TRUE ((int) juce::JSON::parse (output)["warnings"] == 150 && juce::JSON::parse (output)["warningDetails"].size() == 100
                 && juce::JSON::parse (output)["warningDetails"][0]["kind"] == "objectEnd");
}

namespace
{
    // The sample, rich and hostile meshes, converted into the folders glb, gltf and obj.
    struct Converted
    {
        ScratchFolder scratch;
        MshMesh rich, hostile;
        juce::String folder = scratch.folder.getFullPathName();

        explicit Converted (std::initializer_list<const char*> formats)
        {
            buildRichMesh (rich);
            buildHostileMesh (hostile);
            scratch.write ("sample.msh", sampleFileBytes());
            scratch.write ("rich.msh", mshWriteToMemory (rich));
            scratch.write ("hostile.msh", mshWriteToMemory (hostile));
            for (auto format : formats)
                EXPECT_EQ (0, runProgram ({ MSHCONVERT_PATH, "--format", format, "-o", folder + "/" + format, folder + "/sample.msh", folder + "/rich.msh", folder + "/hostile.msh" }));
        }
    };
}

TEST (Export, TheKhronosValidatorAcceptsEveryGltf)
{
    Converted converted { "glb", "gltf" };
    const auto& scratch = converted.scratch;
    juce::StringArray validate { "node", VALIDATE_GLTF_SCRIPT }, report;
    for (auto name : { "sample", "rich", "hostile" })
        validate.addArray ({ scratch.folder.getFullPathName() + "/glb/" + name + ".glb", scratch.folder.getFullPathName() + "/gltf/" + name + ".gltf" });
    juce::String output;
    EXPECT_EQ (0, runProgram (validate, &output)) << output;
    report.addLines (output);
    EXPECT_EQ (6, std::count_if (report.begin(), report.end(), [] (const juce::String& line) { return line.contains (": 0 errors, 0 warnings"); })) << output;
}

TEST (Export, AnObjReadBackHoldsTheCornersTheViewDraws)
{
    // Read by a reader of its own: face by face, each corner's placed position, texture coordinate (v
    // turned up) and unit normal are those of the corners the view draws, in drawing order.
    Converted converted { "obj" };
    const auto& scratch = converted.scratch;
    for (auto name : { "sample", "hostile", "rich" })
    {
        std::vector<std::array<float, 3>> v, vn;
        std::vector<std::array<float, 2>> vt;
        std::vector<std::array<float, 8>> faces; // corner by corner: x y z u v nx ny nz
        juce::StringArray lines;
        scratch.folder.getChildFile ("obj/" + juce::String (name) + ".obj").readLines (lines);

        for (auto& line : lines)
        {
            const auto t = juce::StringArray::fromTokens (line, " ", "");
            const auto f = [&t] (int i) { return std::strtof (t[i].toRawUTF8(), nullptr); };

            if (t[0] == "v")  v.push_back ({ f (1), f (2), f (3) });
            if (t[0] == "vt") vt.push_back ({ f (1), f (2) });
            if (t[0] == "vn") vn.push_back ({ f (1), f (2), f (3) });

            for (int c = 1; t[0] == "f" && c < t.size(); ++c)
            {
                const auto refs = juce::StringArray::fromTokens (t[c], "/", "");
                const auto at = [&refs] (int i) { return (size_t) refs[i].getLargeIntValue() - 1; };
                const auto n = refs.size() > 2 ? vn.at (at (2)) : std::array<float, 3> { 0, 0, 0 };
                faces.push_back ({ v.at (at (0))[0], v.at (at (0))[1], v.at (at (0))[2], vt.at (at (1))[0], vt.at (at (1))[1], n[0], n[1], n[2] });
            }
        }

        MshMesh model;
        juce::String (name) == "sample" ? buildSampleMesh (model) : juce::String (name) == "rich" ? buildRichMesh (model) : buildHostileMesh (model);
        mshForEachObject (model.root, true, [] (MshObject& object, int, juce::int64, juce::int64)
        {
            for (size_t i = 12; i < 15; ++i) // a translation that is not a number moves nothing
                if (! std::isfinite (object.matrix[i]))
                    object.matrix[i] = 0;
        });
        std::vector<std::array<float, 8>> expected;
        mshForEachPlacedObject (model.root, true, { 0, 0, 0 }, [&] (const MshObject& object, double x, double y, double z)
        {
            bool normals = true;
            mshForEachDrawableTriangle (object, [&] (auto& a, auto& b, auto& c)
            {
                for (const auto* p : { &a, &b, &c })
                    normals = normals && std::isfinite (std::hypot (p->nx, p->ny, p->nz)) && std::hypot (p->nx, p->ny, p->nz) > 0;
            });
            mshForEachDrawableTriangle (object, [&] (auto& a, auto& b, auto& c)
            {
                if (! std::isfinite (a.x + b.x + c.x + a.y + b.y + c.y + a.z + b.z + c.z + a.u + b.u + c.u + a.v + b.v + c.v))
                    return;
                for (const auto* p : { &a, &b, &c })
                {
                    const auto length = std::hypot ((double) p->nx, (double) p->ny, (double) p->nz);
                    expected.push_back ({ (float) (x + p->x), (float) (y + p->y), (float) (z + p->z), p->u, 1.0f - p->v,
                                          normals ? (float) (p->nx / length) : 0.0f, normals ? (float) (p->ny / length) : 0.0f, normals ? (float) (p->nz / length) : 0.0f });
                }
            });
        });
        EXPECT_GT (expected.size(), 50u);
        EXPECT_TRUE (expected == faces) << name << ": " << expected.size() << " corners drawn, " << faces.size() << " in the OBJ";
    }
}

TEST (Export, AnObjsTextureIsTheViewsTexelForTexel)
{
    Converted converted { "obj" };
    const auto& scratch = converted.scratch;
    EXPECT_TRUE (scratch.folder.getChildFile ("obj/sample.mtl").loadFileAsString().contains ("map_Kd sample-rainbow.png"));
    const Rgba texture (scratch.folder.getFullPathName() + "/obj/sample-rainbow.png");
    ASSERT_TRUE (texture.width == 2 && texture.height == 2);
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ ((std::array<int, 4> { rainbowTexels[(size_t) (4 * t + 2)], rainbowTexels[(size_t) (4 * t + 1)], rainbowTexels[(size_t) (4 * t)], 255 }), texture.at (t % 2, t / 2)) << t;
}

namespace
{
    // The share of a picture in the view's background colour, at the alpha given.
    double backgroundShare (const Rgba& image, int alpha)
    {
        int count = 0;
        for (int i = 0; i < image.width * image.height; ++i)
            count += image.at (i % image.width, i / image.width) == std::array<int, 4> { 204, 0, 102, alpha } ? 1 : 0;
        return (double) count / juce::jmax (1, image.width * image.height);
    }

    struct Camera { const char* name; const char* camera; double low, high; int alpha; bool oneAtInfinity = false; };
    void PrintTo (const Camera& c, std::ostream* out) { *out << c.name; }
    class RenderedWith : public ::testing::TestWithParam<Camera> {};
}

TEST_P (RenderedWith, ThePictureShowsTheMeshAsTheCameraPlacesIt)
{
    // Framed, the mesh fills much of the picture; from the file's camera it is small; transparent, no background.
    const auto& c = GetParam();
    ScratchFolder scratch;
    const auto picture = scratch.folder.getFullPathName() + "/sample.png";
    auto sample = scratch.write ("sample.msh", sampleFileBytes());
    if (c.oneAtInfinity)
    {
        MshMesh mesh;
        ASSERT_TRUE (mshLoadFile (mesh, sample.getFullPathName(), [] (const MshWarning&) {}).ok());
        mesh.root.firstChild->nextSibling->matrix[12] = std::numeric_limits<float>::infinity();
        sample = scratch.write ("sample.msh", mshWriteToMemory (mesh));
    }
    juce::StringArray command { MSHRENDER_PATH, "--size", "96x64", "--camera", c.camera, sample.getFullPathName(), picture };
    if (c.alpha == 0)
        command.insert (1, "--transparent");
    ASSERT_EQ (0, runProgram (command));
    const Rgba image (picture);
    EXPECT_TRUE (image.width == 96 && image.height == 64 && image.at (0, 0) == (std::array<int, 4> { 204, 0, 102, c.alpha }));
    EXPECT_TRUE (backgroundShare (image, c.alpha) > c.low && backgroundShare (image, c.alpha) < c.high) << backgroundShare (image, c.alpha);
}

INSTANTIATE_TEST_SUITE_P (Render, RenderedWith, ::testing::Values (Camera { "fit", "fit", 0.3, 0.9, 255 }, Camera { "file", "file", 0.9, 0.999, 255 },
                                                                   Camera { "transparent", "fit", 0.3, 0.9, 0 }, Camera { "fit_beside_an_object_at_infinity", "fit", 0.3, 0.9, 255, true }), CaseName());

TEST (Import, WhatAnotherProgramResavedOrWroteComesBackAsItShows)
{
    ScratchFolder scratch;
    const auto at = [&] (const char* name) { return scratch.folder.getChildFile (name).getFullPathName(); };
    MshMesh hostile;
    buildHostileMesh (hostile);
    const auto original = mshWriteToMemory (hostile);
    scratch.write ("hostile.msh", original);

    // glTF-Transform reads and writes it again, buffers and all: every byte of the .msh comes back.
    ASSERT_EQ (0, runProgram ({ MSHCONVERT_PATH, at ("hostile.msh"), "-o", at ("hostile.glb") }));
    ASSERT_EQ (0, runProgram ({ juce::SystemStats::getEnvironmentVariable ("GLTF_TRANSFORM", "gltf-transform"), "copy", at ("hostile.glb"), at ("resaved.glb") }));
    ASSERT_EQ (0, runProgram ({ MSHCONVERT_PATH, at ("resaved.glb"), "-o", at ("back.msh") }));
    juce::MemoryBlock back;
    juce::File (at ("back.msh")).loadFileAsData (back);
    EXPECT_TRUE (original == back);

    // Another program's glTF, made by assimp from an OBJ written here: its objects, triangles and bounds.
    const std::string obj = "o box\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\ng second\nv 0 0 1\nv 1 0 1\nv 0 1 1\nf 5 6 7\n";
    scratch.write ("shapes.obj", obj);
    ASSERT_EQ (0, runProgram ({ "assimp", "export", at ("shapes.obj"), at ("shapes.gltf") }));
    ASSERT_EQ (1, runProgram ({ MSHCONVERT_PATH, at ("shapes.gltf") })) << "no .msh data, said";
    juce::String output;
    runProgram ({ MSHINFO_PATH, "--json", at ("shapes.msh") }, &output);
    const auto json = juce::JSON::parse (output);
    juce::StringArray names;
    for (int i = 0; i < json["objects"].size(); ++i)
        names.add (json["objects"][i]["name"].toString() + "/" + json["objects"][i]["triangles"].toString());
    EXPECT_TRUE (names.contains ("box/2") && names.contains ("second/1")) << names.joinIntoString (" ");
    EXPECT_EQ (juce::String ("{\"min\": [0, 0, 0], \"max\": [1, 1, 1]}"), juce::JSON::toString (json["bounds"], true));
}
