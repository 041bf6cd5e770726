// Tolmar MSH Viewer - mshconvert and mshrender as scripts run them: files the Khronos validator accepts,
// read back with tinygltf, and pictures checked pixel by pixel.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/MshGeometry.h"
#include "msh/TestSupport.h"

#include <stb/stb_image.h>
#include <tiny_gltf.h>

namespace
{
    int run (juce::StringArray command, juce::String* output = nullptr)
    {
        juce::ChildProcess process;
        if (! process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
            return -1;
        const auto text = process.readAllProcessOutput();
        if (output != nullptr)
            *output = text;
        process.waitForProcessToFinish (120000);
        return (int) process.getExitCode();
    }

    // The sample with hostile objects added: positions and texture coordinates that are not numbers, normals
    // that are zero or too long, a translation that is not a number, an object with nothing to draw, names
    // with quotes, control characters and Latin-1.
    void buildHostileMesh (MshMesh& mesh)
    {
        buildSampleMesh (mesh);
        auto& nan = addChild (mesh.root, "nan \"corners\"\n\x01");
        addQuad (nan, 1, 1);
        nan.vertices[0].x = std::numeric_limits<float>::quiet_NaN();
        nan.vertices[3].v = std::numeric_limits<float>::infinity();
        auto& flat = addChild (mesh.root, juce::String (juce::CharPointer_UTF8 ("\xc3\xa9t\xc3\xa9")));
        addQuad (flat, 2, 2);
        flat.vertices[1].nx = flat.vertices[1].ny = flat.vertices[1].nz = 0;
        flat.matrix[13] = std::numeric_limits<float>::quiet_NaN();
        auto& longNormals = addChild (flat, "long normals");
        addQuad (longNormals, 1, 1);
        for (auto& v : longNormals.vertices)
            v.nz = 7;
        addChild (mesh.root, "nothing");
    }

    struct Rgba
    {
        int width = 0, height = 0;
        std::vector<juce::uint8> pixels;
        std::array<int, 4> at (int x, int y) const { const auto* p = pixels.data() + 4 * (y * width + x); return { p[0], p[1], p[2], p[3] }; }
    };

    Rgba loadPng (const juce::File& file)
    {
        Rgba image;
        int channels = 0;
        if (auto* data = stbi_load (file.getFullPathName().toRawUTF8(), &image.width, &image.height, &channels, 4))
        {
            image.pixels.assign (data, data + 4 * image.width * image.height);
            stbi_image_free (data);
        }
        return image;
    }
}

TEST (Export, EveryFixtureBecomesGltfTheValidatorAcceptsAndReadsBackAsTheModel)
{
    ScratchFolder scratch;
    MshMesh rich, hostile;
    buildRichMesh (rich);
    buildHostileMesh (hostile);
    const auto sample = scratch.write ("sample.msh", sampleFileBytes());
    scratch.write ("rich.msh", mshWriteToMemory (rich));
    scratch.write ("hostile.msh", mshWriteToMemory (hostile));

    for (auto format : { "glb", "gltf", "obj" })
        EXPECT_EQ (0, run ({ MSHCONVERT_PATH, "--format", format, "-o", scratch.folder.getChildFile (format).getFullPathName(),
                             sample.getFullPathName(), scratch.folder.getChildFile ("rich.msh").getFullPathName(),
                             scratch.folder.getChildFile ("hostile.msh").getFullPathName() }));

    juce::StringArray validate { "node", VALIDATE_GLTF_SCRIPT }, report;
    for (auto name : { "sample", "rich", "hostile" })
        validate.addArray ({ scratch.folder.getFullPathName() + "/glb/" + name + ".glb", scratch.folder.getFullPathName() + "/gltf/" + name + ".gltf" });
    juce::String output;
    EXPECT_EQ (0, run (validate, &output)) << output;
    report.addLines (output);
    EXPECT_EQ (6, std::count_if (report.begin(), report.end(), [] (const juce::String& line) { return line.contains (": 0 errors"); })) << output;

    // Read back: the node tree, the translations, what each mesh holds, and its first corner.
    tinygltf::Model gltf, richGltf;
    std::string error, warning;
    ASSERT_TRUE (tinygltf::TinyGLTF().LoadBinaryFromFile (&gltf, &error, &warning, (scratch.folder.getFullPathName() + "/glb/hostile.glb").toStdString())) << error;
    ASSERT_TRUE (tinygltf::TinyGLTF().LoadBinaryFromFile (&richGltf, &error, &warning, (scratch.folder.getFullPathName() + "/glb/rich.glb").toStdString())) << error;
    EXPECT_EQ ((std::vector<int> { 0, 4 }), richGltf.scenes[0].nodes) << "the root and its sibling";
    size_t node = 0;

    mshForEachPlacedObject (hostile.root, true, { 0, 0, 0 }, [&] (const MshObject& object, double, double, double)
    {
        const auto& n = gltf.nodes.at (node++);
        size_t children = 0, drawn = 0;
        for (auto* c = object.firstChild.get(); c != nullptr; c = c->nextSibling.get())
            ++children;
        EXPECT_TRUE (object.name.toStdString() == n.name && children == n.children.size()) << n.name;
        EXPECT_EQ ((std::vector<double> { object.matrix[12], std::isfinite (object.matrix[13]) ? object.matrix[13] : 0, object.matrix[14] }), n.translation);

        const MshVertex* firstCorner = nullptr;
        mshForEachDrawableTriangle (object, [&] (auto& a, auto& b, auto& c)
        {
            if (std::isfinite (a.x + b.x + c.x + a.v + b.v + c.v) && drawn++ == 0)
                firstCorner = &a;
        });
        ASSERT_EQ (drawn > 0, n.mesh >= 0) << n.name;
        if (drawn == 0)
            return;

        const auto& primitive = gltf.meshes[(size_t) n.mesh].primitives[0];
        EXPECT_EQ (drawn * 3, gltf.accessors[(size_t) primitive.indices].count) << n.name;
        EXPECT_EQ (n.name != "\xc3\xa9t\xc3\xa9", primitive.attributes.count ("NORMAL") == 1) << "a zero normal drops the object's normals";
        const auto* first = reinterpret_cast<const float*> (gltf.buffers[0].data.data()
                                                            + gltf.bufferViews[(size_t) gltf.accessors[(size_t) primitive.attributes.at ("POSITION")].bufferView].byteOffset);
        EXPECT_EQ ((std::array<float, 3> { firstCorner->x, firstCorner->y, firstCorner->z }), (std::array<float, 3> { first[0], first[1], first[2] })) << n.name;
    });
    EXPECT_EQ (node, gltf.nodes.size());

    // OBJ: every drawn triangle of the sample as a face; the material and the texture beside it.
    juce::StringArray lines;
    scratch.folder.getChildFile ("obj/sample.obj").readLines (lines);
    MshMesh model;
    buildSampleMesh (model);
    const auto faces = std::count_if (lines.begin(), lines.end(), [] (const juce::String& line) { return line.startsWith ("f "); });
    EXPECT_EQ ((juce::int64) mshTotals (model.root, true).trianglesDrawn, (juce::int64) faces);
    EXPECT_TRUE (scratch.folder.getChildFile ("obj/sample.png").existsAsFile() && scratch.folder.getChildFile ("obj/sample.mtl").existsAsFile());
}

TEST (Render, APictureWithoutADisplayFramedAsAskedAndNoPictureForABadFile)
{
    ScratchFolder scratch;
    const auto sample = scratch.write ("sample.msh", sampleFileBytes()).getFullPathName();
    const auto picture = scratch.folder.getChildFile ("sample.png");
    const auto share = [] (const Rgba& image, int alpha)
    {
        int background = 0;
        for (int i = 0; i < image.width * image.height; ++i)
            background += image.at (i % image.width, i / image.width) == std::array<int, 4> { 204, 0, 102, alpha } ? 1 : 0;
        return (double) background / juce::jmax (1, image.width * image.height);
    };

    for (auto [options, low, high, alpha] : { std::tuple (juce::StringArray ({ "--size", "96x64" }), 0.3, 0.9, 255),
                                              std::tuple (juce::StringArray ({ "--size", "96x64", "--camera", "file" }), 0.9, 0.999, 255) })
    {
        options.insert (0, MSHRENDER_PATH);
        options.addArray ({ sample, picture.getFullPathName() });
        ASSERT_EQ (0, run (options));
        const auto image = loadPng (picture);
        EXPECT_TRUE (image.width == 96 && image.height == 64);
        EXPECT_TRUE (share (image, alpha) > low && share (image, alpha) < high) << share (image, alpha);
        EXPECT_EQ ((std::array<int, 4> { 204, 0, 102, 255 }), image.at (0, 0));
    }

    ASSERT_EQ (0, run ({ MSHRENDER_PATH, "--transparent", "--size", "32", sample, picture.getFullPathName() }));
    EXPECT_EQ (0, loadPng (picture).at (0, 0)[3]);
    MshMesh empty;
    ASSERT_EQ (0, run ({ MSHRENDER_PATH, scratch.write ("empty-model.msh", mshWriteToMemory (empty)).getFullPathName(), picture.getFullPathName() }));
    EXPECT_EQ (1.0, share (loadPng (picture), 255)) << "the background alone";

    EXPECT_EQ (2, run ({ MSHRENDER_PATH, scratch.write ("bad.msh", {}).getFullPathName(), scratch.folder.getChildFile ("bad.png").getFullPathName() }));
    EXPECT_EQ (64, run ({ MSHRENDER_PATH, "--size", "0", sample, picture.getFullPathName() }));
    EXPECT_FALSE (scratch.folder.getChildFile ("bad.png").exists());
    EXPECT_EQ (2, scratch.folder.findChildFiles (juce::File::findFiles, false, "*.png").size() + 1) << "no half-written pictures";
}
