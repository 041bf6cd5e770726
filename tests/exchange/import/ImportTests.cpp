// Tolmar MSH Viewer - glTF and OBJ back into the model: what our export wrote comes back byte for byte,
// what other programs wrote comes back as they show it, and what no program should write is refused.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/ExportParts.h"
#include "msh/MshReader.h"
#include "exchange/export/MeshExport.h"
#include "exchange/import/MeshImport.h"
#include "exchange/import/ObjectMerge.h"
#include "msh/MshGeometry.h"
#include "msh/TestSupport.h"
#include "scene/ViewCamera.h"

namespace
{
    // A glTF file of the test's own: JSON with its buffer inline, as base64.
    juce::File writeGltf (const ScratchFolder& scratch, const char* name, const std::string& json, const std::vector<juce::uint8>& bytes = {})
    {
        const auto uri = "data:application/octet-stream;base64," + juce::Base64::toBase64 (bytes.data(), bytes.size()).toStdString();
        auto text = json;
        if (const auto at = text.find ("BUFFER"); at != std::string::npos)
            text.replace (at, 6, "{ \"byteLength\": " + std::to_string (bytes.size()) + ", \"uri\": \"" + uri + "\" }");
        return scratch.write (name, text);
    }

    template <typename T>
    void append (std::vector<juce::uint8>& bytes, std::initializer_list<T> values)
    {
        for (const auto v : values)
            bytes.insert (bytes.end(), reinterpret_cast<const juce::uint8*> (&v), reinterpret_cast<const juce::uint8*> (&v) + sizeof (v));
    }

    const juce::String noMshData = "\nno .msh data in this file (flags, header, lists set to defaults): export with Include > Custom Properties, or give --base ORIGINAL.msh";

    // The warnings an import gave, one a line, or what stopped it.
    juce::String told (const Expected<ImportReport>& outcome)
    {
        if (! outcome.ok())
            return "failed: " + outcome.message();
        juce::StringArray lines;
        for (const auto& w : outcome->warnings)
            lines.add (w.message);
        return lines.joinIntoString ("\n");
    }

    const MshObject& child (const MshObject& o, int n)   { auto* c = o.firstChild.get(); while (n-- > 0) c = c->nextSibling.get(); return *c; }
}

TEST (Import, EveryFixtureComesBackFromGlbOrGltfByteForByte)
{
    ScratchFolder scratch;
    MshMesh warned;
    ASSERT_TRUE (mshLoadMemory (warned, sampleFileBytes ([] (const MshObject& o) { return o.name == "cabin" ? 0u : MshMarker::objectEnd; }).getData(),
                                        sampleFileBytes().getSize()));
    const std::pair<const char*, std::function<void (MshMesh&)>> fixtures[] = {
        { "sample", buildSampleMesh }, { "rich", buildRichMesh }, { "hostile", buildHostileMesh },
        { "deep", [] (MshMesh& m) { buildDeepChain (m, 40); } }, { "long", [] (MshMesh& m) { buildLongChain (m, 40); } },
        { "smallest", [] (MshMesh& m) { m.clear(); m.root.name = {}; } },
        { "warned", [&warned] (MshMesh& m) { (void) mshLoadMemory (m, mshWriteToMemory (warned).getData(), mshWriteToMemory (warned).getSize()); } },
        { "trailing", [] (MshMesh& m) { buildRichMesh (m); m.trailingBytes = { 1, 2, 3 }; m.headerGap = { 9, 8, 7, 6 }; } } };

    for (const auto& [name, build] : fixtures)
    {
        for (const auto format : { MeshFormat::glb, MeshFormat::gltf })
        {
            MshMesh original, exported, imported;
            build (original);
            build (exported);
            const auto target = scratch.folder.getChildFile (juce::String (name) + extensionOf (format));
            ASSERT_EQ (juce::String(), failureOf (exportMesh (exported, target, format))) << name;
            EXPECT_TRUE (sameModel (original, exported)) << name << ": the model exported is left as it was";
            EXPECT_EQ (juce::String(), told (importMesh (target, imported))) << name;
            EXPECT_TRUE (mshWriteToMemory (original) == mshWriteToMemory (imported)) << name << extensionOf (format);
        }
    }
}

TEST (Import, AForeignGltfIsTakenAsItShowsTurnedScaledSparseNormalizedStripsFans)
{
    ScratchFolder scratch;
    std::vector<juce::uint8> bytes;
    append<float> (bytes, { 1, 0, 0,  0, 1, 0,  0, 0, 0 });             // 0: a triangle's positions
    append<juce::uint8> (bytes, { 255, 0, 0, 255, 0, 0, 0, 0, 0, 0 });  // 36: normalized texture coordinates, 2 padding
    append<juce::uint8> (bytes, { 0, 2, 0, 0 });                        // 46: two sparse indices, padding
    append<float> (bytes, { 5, 5, 5,  6, 7, 8 });                        // 50: their values
    append<float> (bytes, { 0, 0, 0,  1, 0, 0,  0, 1, 0,  1, 1, 0 });  // 74: a square's corners
    const auto file = writeGltf (scratch, "foreign.gltf", R"({ "asset": { "version": "2.0" }, "buffers": [ BUFFER ],
        "bufferViews": [ { "buffer": 0, "byteOffset": 0, "byteLength": 36 }, { "buffer": 0, "byteOffset": 36, "byteLength": 6 },
                         { "buffer": 0, "byteOffset": 46, "byteLength": 2 }, { "buffer": 0, "byteOffset": 50, "byteLength": 24 },
                         { "buffer": 0, "byteOffset": 74, "byteLength": 48 } ],
        "accessors": [ { "bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [0,0,0], "max": [1,1,0] },
                       { "bufferView": 1, "componentType": 5121, "normalized": true, "count": 3, "type": "VEC2" },
                       { "bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [0,0,0], "max": [6,7,8],
                         "sparse": { "count": 2, "indices": { "bufferView": 2, "componentType": 5121 }, "values": { "bufferView": 3 } } },
                       { "bufferView": 4, "componentType": 5126, "count": 4, "type": "VEC3", "min": [0,0,0], "max": [1,1,0] } ],
        "meshes": [ { "primitives": [ { "attributes": { "POSITION": 0, "TEXCOORD_0": 1 } } ] },
                    { "primitives": [ { "attributes": { "POSITION": 2, "NORMAL": 0 } } ] },
                    { "primitives": [ { "attributes": { "POSITION": 3 }, "mode": 5 }, { "attributes": { "POSITION": 3 }, "mode": 6 },
                                      { "attributes": { "POSITION": 3 }, "mode": 0 } ] } ],
        "nodes": [ { "name": "turned", "translation": [1, 0, 0], "rotation": [0, 0, 0.7071067811865476, 0.7071067811865476], "scale": [2, 2, 2],
                     "mesh": 0, "children": [1] },
                   { "name": "hp_child", "translation": [1, 0, 0], "mesh": 1 },
                   { "name": "strips", "mesh": 2 } ],
        "scenes": [ { "nodes": [0, 2] } ] })", bytes);

    MshMesh mesh;
    EXPECT_EQ ("node 2 \"strips\": points or lines left out" + noMshData, told (importMesh (file, mesh)));
    const auto near = [] (std::array<float, 3> a, std::array<float, 3> b) { return std::abs (a[0] - b[0]) + std::abs (a[1] - b[1]) + std::abs (a[2] - b[2]) < 1e-5f; };
    const auto& root = mesh.root;
    const auto at = [] (const MshVertex& v) { return std::array<float, 3> { v.x, v.y, v.z }; };
    ASSERT_EQ (3u, root.vertices.size());
    EXPECT_TRUE (root.name == "turned" && root.matrix[12] == 1 && root.matrix[13] == 0 && root.matrix[15] == 1);
    EXPECT_TRUE (near (at (root.vertices[0]), { 0, 2, 0 }) && near (at (root.vertices[1]), { -2, 0, 0 })) << "turned a quarter and doubled";
    EXPECT_TRUE (root.vertices[0].u == 1 && root.vertices[1].v == 1 && near ({ root.vertices[2].nx, root.vertices[2].ny, root.vertices[2].nz }, { 0, 0, 1 }));
    const auto& turnedChild = *root.firstChild;
    EXPECT_TRUE (near ({ turnedChild.matrix[12], turnedChild.matrix[13], turnedChild.matrix[14] }, { 0, 2, 0 })) << "its offset turned too";
    EXPECT_TRUE (near (at (turnedChild.vertices[0]), { -10, 10, 10 }) && near (at (turnedChild.vertices[2]), { -14, 12, 16 })) << "the sparse values, turned and doubled";
    EXPECT_TRUE (turnedChild.isHp && near ({ turnedChild.vertices[1].nx, turnedChild.vertices[1].ny, turnedChild.vertices[1].nz }, { -1, 0, 0 })) << "its normals turned";
    ASSERT_NE (nullptr, root.nextSibling);
    juce::StringArray corners;
    for (const auto i : root.nextSibling->indices)
        corners.add (juce::String (i));
    EXPECT_EQ (juce::String ("0 1 2 1 3 2 5 6 4 6 7 4"), corners.joinIntoString (" ")) << "a strip and a fan of two triangles each";
}

TEST (Import, MoreGltfVerticesThanA16BitIndexReachesMakeASecondPart)
{
    ScratchFolder scratch;
    MshMesh mesh;
    std::vector<juce::uint8> many;
    for (int i = 0; i < 70002; ++i)
        append<float> (many, { (float) i, (float) (i % 3), 0 });
    const auto big = writeGltf (scratch, "big.gltf", R"({ "asset": { "version": "2.0" }, "buffers": [ BUFFER ],
        "bufferViews": [ { "buffer": 0, "byteLength": 840024 } ],
        "accessors": [ { "bufferView": 0, "componentType": 5126, "count": 70002, "type": "VEC3", "min": [0,0,0], "max": [70001,2,0] } ],
        "meshes": [ { "primitives": [ { "attributes": { "POSITION": 0 } } ] } ], "nodes": [ { "name": "big", "mesh": 0 } ], "scenes": [ { "nodes": [0] } ] })", many);
    EXPECT_EQ ("node 0 \"big\": more than 65535 vertices, split into child objects" + noMshData, told (importMesh (big, mesh)));
    EXPECT_TRUE (mesh.root.vertices.size() == 65535 && mesh.root.firstChild->name == "big 2" && mesh.root.firstChild->vertices.size() == 4467);
    EXPECT_EQ (23334u, mshTotals (mesh.root, true).trianglesDrawn);
}

TEST (Import, AsManyVerticesAsA16BitIndexReachesStayOnePart)
{
    // One triangle of them used: kept as they stand, numbered as in the file. The buffer's own file counts
    // in what the accessors may claim.
    ScratchFolder scratch;
    MshMesh mesh;
    std::vector<juce::uint8> wide (65535 * 12, 0);
    append<juce::uint16> (wide, { 2, 1, 0 });
    scratch.write ("wide.bin", juce::MemoryBlock (wide.data(), wide.size()));
    const auto widest = scratch.write ("wide.gltf", R"({ "asset": { "version": "2.0" }, "buffers": [ { "byteLength": 786426, "uri": "wide.bin" } ],
        "bufferViews": [ { "buffer": 0, "byteLength": 786420 }, { "buffer": 0, "byteOffset": 786420, "byteLength": 6 } ],
        "accessors": [ { "bufferView": 0, "componentType": 5126, "count": 65535, "type": "VEC3", "min": [0,0,0], "max": [0,0,0] },
                       { "bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR" } ],
        "meshes": [ { "primitives": [ { "attributes": { "POSITION": 0 }, "indices": 1 } ] } ], "nodes": [ { "mesh": 0 } ], "scenes": [ { "nodes": [0] } ] })");
    ASSERT_EQ (noMshData.substring (1), told (importMesh (widest, mesh)));
    EXPECT_TRUE (mesh.root.vertices.size() == 65535 && mesh.root.indices == std::vector<juce::uint16> ({ 2, 1, 0 }));
}

namespace
{
    // A triangle with its normals, turned about no axis of its own and stretched unevenly, and a copy of it
    // far up, beside it in the scene.
    void importSlanted (MshMesh& mesh)
    {
        ScratchFolder scratch;
        std::vector<juce::uint8> slanted;
        const auto third = 1 / std::sqrt (3.0f);
        append<float> (slanted, { 1, 0, 0,  0, 1, 0,  0, 0, 1,  third, third, third,  third, third, third,  third, third, third });
        const auto slant = writeGltf (scratch, "slant.gltf", R"({ "asset": { "version": "2.0" }, "buffers": [ BUFFER ],
            "bufferViews": [ { "buffer": 0, "byteLength": 36 }, { "buffer": 0, "byteOffset": 36, "byteLength": 36 } ],
            "accessors": [ { "bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [0,0,0], "max": [1,1,1] },
                           { "bufferView": 1, "componentType": 5126, "count": 3, "type": "VEC3" } ],
            "meshes": [ { "primitives": [ { "attributes": { "POSITION": 0, "NORMAL": 1 } } ] } ], "scenes": [ { "nodes": [0, 1] } ],
            "nodes": [ { "mesh": 0, "rotation": [0.18257419, 0.36514837, 0.54772256, 0.73029674], "scale": [1, 2, 3] }, { "mesh": 0, "translation": [0, 100, 0] } ] })", slanted);
        ASSERT_EQ (noMshData.substring (1), told (importMesh (slant, mesh)));
    }
}

TEST (Import, NormalsStaySquareToTheirFaceUnderAnyTurnAndStretch)
{
    MshMesh mesh;
    importSlanted (mesh);
    const auto& v = mesh.root.vertices;
    const std::array<float, 3> e1 { v[1].x - v[0].x, v[1].y - v[0].y, v[1].z - v[0].z }, e2 { v[2].x - v[0].x, v[2].y - v[0].y, v[2].z - v[0].z };
    const std::array<float, 3> face { e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0] };
    for (const auto& corner : v)
    {
        const auto dot = [&corner] (std::array<float, 3> e) { return corner.nx * e[0] + corner.ny * e[1] + corner.nz * e[2]; };
        EXPECT_TRUE (std::abs (dot (e1)) < 1e-5f && std::abs (dot (e2)) < 1e-5f && dot (face) > 0) << dot (e1) << " " << dot (e2);
    }
}

TEST (Import, ANodeTurnedAboutAllThreeAxesTurnsItsCorners)
{
    // A third of a turn about (1, 1, 1), every term of the turn's matrix in play: x goes to y, y to z, z to x.
    ScratchFolder scratch;
    std::vector<juce::uint8> corners;
    append<float> (corners, { 1, 2, 3,  4, 5, 6,  7, 8, 10 });
    const auto file = writeGltf (scratch, "turned.gltf", R"({ "asset": { "version": "2.0" }, "buffers": [ BUFFER ], "bufferViews": [ { "buffer": 0, "byteLength": 36 } ],
        "accessors": [ { "bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3" } ], "meshes": [ { "primitives": [ { "attributes": { "POSITION": 0 } } ] } ],
        "nodes": [ { "mesh": 0, "rotation": [0.5, 0.5, 0.5, 0.5] } ], "scenes": [ { "nodes": [0] } ] })", corners);
    MshMesh mesh;
    ASSERT_EQ (juce::String(), failureOf (importMesh (file, mesh)));
    juce::StringArray placed;
    for (const auto& v : mesh.root.vertices)
        placed.add (juce::String (std::round (v.x * 1e4f) / 1e4f) + " " + juce::String (std::round (v.y * 1e4f) / 1e4f) + " " + juce::String (std::round (v.z * 1e4f) / 1e4f));
    EXPECT_EQ (juce::String ("3 1 2, 6 4 5, 10 7 8"), placed.joinIntoString (", "));
}

TEST (Import, TheCameraAnImportPlacesSeesEveryRoot)
{
    MshMesh mesh;
    importSlanted (mesh);
    ViewCamera camera;
    camera.placeFromHeader (mesh.headerWord (0), mesh.headerWord (18), mesh.headerWord (19));
    EXPECT_TRUE (camera.pan[1] < -45 && camera.pan[1] > -55 && camera.distance < -100) << camera.pan[1] << " " << camera.distance;
}

TEST (Import, AnObjFileMakesAnObjectOfEachOOrGUnderOneRoot)
{
    ScratchFolder scratch;
    const auto file = scratch.write ("shapes.obj", "# a square and a triangle\nv 0 0 0\nv 2 0 0\nv 2 2 0\nv 0 2 0\nvt 0 0\nvt 1 0\nvt 1 1\n"
                                                      "vn 0 0 1\no square\nusemtl x\nf 1/1/1 2/2/1 3/3/1 4/1/1\ng tri\nv 0 0 5\nf -4 -3 -1\ng mixed\nf 1//1 2 3\n"
                                                      "g line\nv 1 1 1\nv 2 2 2\nv 3 3 3\nf -3 -2 -1\n");
    MshMesh mesh;
    EXPECT_EQ (juce::String ("object \"mixed\": normals made from the faces, as some corners have none"), told (importMesh (file, mesh)));
    const auto& square = child (mesh.root, 0), &tri = child (mesh.root, 1);
    EXPECT_TRUE (mesh.root.name == "shapes" && square.name == "square" && tri.name == "tri" && tri.nextSibling->name == "mixed");
    EXPECT_EQ ((std::vector<juce::uint16> { 0, 1, 2, 0, 2, 3 }), square.indices) << "the quad as a fan";
    EXPECT_TRUE (square.vertices[2].u == 1 && square.vertices[2].v == 0 && square.vertices[0].v == 1) << "v turned down";
    EXPECT_TRUE (tri.vertices.size() == 3 && tri.vertices[2].z == 5 && tri.vertices[0].nx > 0.9f) << "counted back; normals made";
    const auto& line = *tri.nextSibling->nextSibling;
    EXPECT_TRUE (line.vertices[1].nx == 0 && line.vertices[1].ny == 0 && line.vertices[1].nz == 0) << "a face with no area gives no direction";
}

TEST (Import, WhatNoProgramShouldWriteIsRefusedWithTheReason)
{
    ScratchFolder scratch;
    std::vector<juce::uint8> triangle;
    append<float> (triangle, { 0, 0, 0,  1, 0, 0,  0, 1, 0 });
    append<juce::uint16> (triangle, { 0, 1, 257, 0 });
    const std::string positions = R"({ "bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3" })";
    const auto gltf = [&] (const char* name, const std::string& extra, const std::string& accessors, const std::string& nodes = R"([ { "mesh": 0 } ])")
    {
        return writeGltf (scratch, name, R"({ "asset": { "version": "2.0" }, "buffers": [ BUFFER ], )" + extra + R"("bufferViews": [ { "buffer": 0, "byteLength": 36 }, { "buffer": 0, "byteOffset": 36, "byteLength": 6 } ],
            "accessors": [ )" + accessors + R"( ], "meshes": [ { "primitives": [ { "attributes": { "POSITION": 0 }, "indices": 1 } ] } ], "nodes": )" + nodes
            + R"(, "scenes": [ { "nodes": [0] } ] })", triangle);
    };
    const std::string indices = R"({ "bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR" })";

    const std::pair<juce::File, const char*> cases[] = {
        { scratch.write ("broken.gltf", "{ \"asset\": "), "parse error" },
        { scratch.write ("nobin.gltf", R"({ "asset": { "version": "2.0" }, "buffers": [ { "byteLength": 4, "uri": "gone.bin" } ] })"), "gone.bin" },
        { gltf ("noimage.gltf", R"("images": [ { "uri": "gone.png" } ], )", positions + ", " + indices), "image" },
        { gltf ("draco.gltf", R"("extensionsUsed": ["KHR_draco_mesh_compression"], "extensionsRequired": ["KHR_draco_mesh_compression"], )", positions + ", " + indices), "compressed geometry" },
        { gltf ("meshopt.gltf", R"("extensionsUsed": ["EXT_meshopt_compression"], "extensionsRequired": ["EXT_meshopt_compression"], )", positions + ", " + indices), "compressed geometry" },
        { gltf ("long.gltf", "", R"({ "bufferView": 0, "componentType": 5126, "count": 4, "type": "VEC3" }, )" + indices), "more than buffer view 0 holds" },
        { gltf ("end.gltf", "", R"({ "bufferView": 0, "byteOffset": 30, "componentType": 5126, "count": 1, "type": "VEC3" }, )" + indices), "more than buffer view 0 holds" },
        { gltf ("index.gltf", "", positions + ", " + indices), "an index past the 3 vertices" },
        { writeGltf (scratch, "past.gltf", R"({ "asset": { "version": "2.0" }, "buffers": [ BUFFER ], "bufferViews": [ { "buffer": 0, "byteLength": 48 } ], "accessors": [ )"
            + positions + R"( ], "meshes": [ { "primitives": [ { "attributes": { "POSITION": 0 } } ] } ], "nodes": [ { "mesh": 0 } ], "scenes": [ { "nodes": [0] } ] })", triangle),
          "buffer view 0 reaches past its buffer" },
        { writeGltf (scratch, "short.gltf", R"({ "asset": { "version": "2.0" }, "buffers": [ BUFFER ], "bufferViews": [ { "buffer": 0, "byteLength": 36 } ], "accessors": [ )"
            + positions + R"(, { "bufferView": 0, "componentType": 5126, "count": 2, "type": "VEC3" } ], "meshes": [ { "primitives": [ { "attributes": { "POSITION": 0, "NORMAL": 1 } } ] } ],
            "nodes": [ { "mesh": 0 } ], "scenes": [ { "nodes": [0] } ] })", triangle), "different numbers of vertices" },
        { gltf ("view.gltf", "", R"({ "bufferView": 9, "componentType": 5126, "count": 3, "type": "VEC3" }, )" + indices), "buffer view 9 does not exist" },
        { scratch.write ("accessor.gltf", R"({ "asset": { "version": "2.0" }, "meshes": [ { "primitives": [ { "attributes": { "POSITION": 9 } } ] } ],
            "nodes": [ { "mesh": 0 } ], "scenes": [ { "nodes": [0] } ] })"), "accessor 9 does not exist" },
        { gltf ("claims.gltf", "", R"({ "componentType": 5126, "count": 100000000, "type": "VEC3" }, )" + indices), "4 times" },
        { gltf ("cycle.gltf", "", positions + ", " + indices, R"([ { "children": [1] }, { "children": [0] } ])"), "twice" },
        { gltf ("name.gltf", "", positions + ", " + indices, R"([ { "mesh": 0, "name": ")" + std::string (40000, 'n') + R"(" } ])"), "32767" },
        { scratch.write ("face.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n"), "line 4: a face refers to position 9" },
        { scratch.write ("word.obj", "v 0 0 0\nv 0 x 0\n"), "line 2: \"x\" is not a number" },
        { scratch.write ("bytes.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 \xf0\x80\n"), "line 4: a face refers to position \xc3\xb0\xc2\x80," },
        { scratch.folder, "is a directory" },
    };

    for (const auto& [file, says] : cases)
    {
        MshMesh mesh;
        const auto outcome = told (importMesh (file, mesh));
        EXPECT_TRUE (outcome.startsWith ("failed: ") && outcome.contains (says)) << file.getFileName() << ": " << outcome;
        EXPECT_TRUE (mesh.root.firstChild == nullptr && mesh.root.vertices.empty()) << file.getFileName();
    }
}

TEST (Import, GeometryEditedElsewhereIsTakenAsShownEvenWhereTheExportKeptTheFileLists)
{
    // "long normals" is drawn with normals made unit length, so its export keeps the file's lists beside
    // what it shows; an edit to what it shows (a vertex moved or a triangle dropped) must win.
    ScratchFolder scratch;
    MshMesh hostile, exported;
    buildHostileMesh (hostile);
    buildHostileMesh (exported);
    const auto target = scratch.folder.getChildFile ("h.gltf");
    ASSERT_EQ (juce::String(), failureOf (exportMesh (exported, target, MeshFormat::gltf)));
    const auto gltf = juce::JSON::parse (target);
    juce::MemoryBlock bin;
    ASSERT_TRUE (scratch.folder.getChildFile ("h.bin").loadFileAsData (bin));

    const juce::var* node = nullptr;
    for (const auto& n : *gltf["nodes"].getArray())
        if (n["name"] == "long normals")
            node = &n;
    ASSERT_TRUE (node != nullptr && (*node)["extras"].hasProperty (GltfExtras::geometry)) << "the lists are kept beside";
    const auto primitive = gltf["meshes"][(int) (*node)["mesh"]]["primitives"][0];
    const auto accessor = gltf["accessors"][(int) primitive["attributes"]["POSITION"]];
    const auto at = (size_t) (int) gltf["bufferViews"][(int) accessor["bufferView"]]["byteOffset"] + (size_t) (int) accessor["byteOffset"];
    const auto indices = gltf["accessors"][(int) primitive["indices"]];
    const auto indexCount = (int) indices["count"];

    for (const bool moveVertex : { true, false })
    {
        auto edited = bin;
        if (moveVertex)
            static_cast<float*> (edited.getData())[at / sizeof (float)] += 1;
        indices.getDynamicObject()->setProperty ("count", moveVertex ? indexCount : indexCount - 3);
        scratch.write ("h.bin", edited);
        target.replaceWithText (juce::JSON::toString (gltf));

        MshMesh imported;
        ASSERT_EQ (juce::String(), told (importMesh (target, imported)));
        const auto* longNormals = named (imported.root, "long normals"), *before = named (hostile.root, "long normals");
        ASSERT_TRUE (longNormals != nullptr && before != nullptr);
        EXPECT_EQ (moveVertex ? before->vertices[0].x + 1 : before->vertices[0].x, longNormals->vertices[0].x) << moveVertex;
        EXPECT_EQ (moveVertex ? 6u : 3u, longNormals->indices.size()) << moveVertex;
        EXPECT_EQ (1.0f, longNormals->vertices[0].nz) << "as shown: unit normals";
    }
}

namespace
{
    // What a program that reads and saves glTF again may do to the sample's export, and what comes back.
    struct Resave
    {
        std::string name;
        std::function<void (juce::var& gltf)> edit;
        bool base = false;
        juce::String said;                                   // among the warnings and changes
        bool same = true;                                    // the sample comes back byte for byte
        std::function<void (MshMesh&)> prepare = [] (MshMesh&) {};
        std::function<void (const MshMesh&)> check = [] (const MshMesh&) {};
        std::function<void (MshMesh&)> prepareBase = [] (MshMesh&) {};
    };

    void PrintTo (const Resave& c, std::ostream* out) { *out << c.name; }

    juce::var nodeNamed (const juce::var& gltf, const char* name)
    {
        for (const auto& n : *gltf["nodes"].getArray())
            if (n["name"] == name)
                return n;
        return {};
    }

    void dropExtras (juce::var& gltf)
    {
        for (auto& n : *gltf["nodes"].getArray())
            n.getDynamicObject()->removeProperty ("extras");
        gltf["scenes"][0].getDynamicObject()->removeProperty ("extras");
    }

    void setExtra (juce::var& gltf, const char* node, const char* key, const juce::var& value)
    {
        nodeNamed (gltf, node)["extras"].getDynamicObject()->setProperty (key, value);
    }

    class Resaved : public ::testing::TestWithParam<Resave> {};
}

TEST_P (Resaved, ComesBackAsTheCaseSays)
{
    const auto& c = GetParam();
    ScratchFolder scratch;
    MshMesh original, exported, base, imported;
    for (auto* mesh : { &original, &exported, &base })
        buildSampleMesh (*mesh), c.prepare (*mesh);
    c.prepareBase (base);
    const auto target = scratch.folder.getChildFile ("sample.gltf");
    ASSERT_EQ (juce::String(), failureOf (exportMesh (exported, target, MeshFormat::gltf)));
    auto gltf = juce::JSON::parse (target);
    c.edit (gltf);
    target.replaceWithText (juce::JSON::toString (gltf));

    const auto outcome = importMesh (target, imported, c.base ? &base : nullptr);
    ASSERT_TRUE (outcome.ok()) << outcome.message();
    EXPECT_EQ (c.same, sameModel (original, imported));
    const auto said = told (outcome) + "\n" + outcome->changes.joinIntoString ("\n");
    EXPECT_TRUE (said.contains (c.said)) << said;
    c.check (imported);
}

INSTANTIATE_TEST_SUITE_P (Sample, Resaved, ::testing::Values (
    Resave { "extras_dropped_given_the_base", dropExtras, true, "unchanged: 9 objects", true,
             [] (MshMesh& m) { m.list12B.resize (2); m.list12B[1][3] = 7; m.trailingBytes = { 1, 2 }; m.headerString = "the base's"; } },
    Resave { "children_in_another_order", [] (juce::var& g) { g["nodes"][0]["children"].getArray()->swap (0, 5); }, false, "" },
    Resave { "children_in_another_order_given_the_base", [] (juce::var& g) { g["nodes"][0]["children"].getArray()->swap (0, 5); dropExtras (g); }, true, "" },
    Resave { "nameless_root_given_the_base", [] (juce::var& g) { g["nodes"][0].getDynamicObject()->setProperty ("name", "Node_0"); dropExtras (g); }, true, "", true,
             [] (MshMesh& m) { m.root.name = {}; } },
    Resave { "a_base_of_other_geometry_and_matrix", [] (juce::var&) {}, true, "changed: turret (geometry)\nchanged: wheel_left (matrix)\nchanged: wheel_right (matrix)\nchanged: banner (values)\nunchanged: 5 objects", true,
             [] (MshMesh&) {}, [] (const MshMesh&) {},
             [] (MshMesh& m)
             {
                 m.root.firstChild->firstChild->vertices[0].x += 1;
                 m.root.firstChild->nextSibling->matrix[0] = 2;
                 m.root.firstChild->nextSibling->nextSibling->matrix[15] = 2;
                 named (m.root, "banner")->valueB = 5;
             } },
    Resave { "a_look_alike_name_given_the_base", [] (juce::var& g) { nodeNamed (g, "my_cabin").getDynamicObject()->setProperty ("name", "my cabin"); dropExtras (g); },
             true, "new: my cabin\nnew: turret\nnew: hp_gun\ndeleted: my_cabin", false, [] (MshMesh& m) { named (m.root, "cabin")->name = "my_cabin"; } },
    Resave { "triangle_dropped_given_the_base", [] (juce::var& g)
             {
                 const auto indices = g["accessors"][(int) g["meshes"][(int) nodeNamed (g, "turret")["mesh"]]["primitives"][0]["indices"]];
                 indices.getDynamicObject()->setProperty ("count", (int) indices["count"] - 3);
                 dropExtras (g);
             }, true, "changed: turret (geometry)\nunchanged: 8 objects", false },
    Resave { "a_name_that_cannot_stand_in_a_line_left_out", [] (juce::var& g) { g["nodes"][0]["children"].getArray()->removeLast(); }, true,
             "deleted: hull 1\\x0a\nunchanged: 8 objects", false, [] (MshMesh& m) { named (m.root, "collision_hull")->name = "hull 1\n"; } },
    Resave { "twin_renamed_by_the_editor", [] (juce::var& g)
             {
                 juce::var twin;
                 for (auto& n : *g["nodes"].getArray())
                     twin = n["name"] == "wheel_left" ? n : twin;
                 twin.getDynamicObject()->setProperty ("name", "wheel_left.001");
             }, false, "", true, [] (MshMesh& m) { named (m.root, "wheel_right")->name = "wheel_left"; } },
    Resave { "copy_number_given_the_base", [] (juce::var& g) { nodeNamed (g, "cabin").getDynamicObject()->setProperty ("name", "cabin.001"); dropExtras (g); }, true, "" },
    Resave { "nameless_root_named_by_the_editor", [] (juce::var& g) { g["nodes"][0].getDynamicObject()->setProperty ("name", "Node_0"); }, false, "", true,
             [] (MshMesh& m) { m.root.name = {}; } },
    Resave { "translation_rounded", [] (juce::var& g) { auto moved = nodeNamed (g, "banner")["translation"]; moved[1] = (double) moved[1] * (1 + 1e-7); }, false, "" },
    Resave { "tiny_translation_dropped", [] (juce::var& g) { auto moved = nodeNamed (g, "banner")["translation"]; moved[0] = 0; }, false, "", true,
             [] (MshMesh& m) { m.root.firstChild->nextSibling->nextSibling->nextSibling->matrix[12] = 6.3e-41f; } },
    Resave { "translation_moved", [] (juce::var& g) { auto moved = nodeNamed (g, "banner")["translation"]; moved[0] = (double) moved[0] + 1; }, true,
             "changed: banner (translation)\nunchanged: 8 objects", false },
    Resave { "node_left_out_given_the_base", [] (juce::var& g) { g["nodes"][0]["children"].getArray()->removeLast(); }, true,
             "deleted: collision_hull\nunchanged: 8 objects", false },
    Resave { "extras_dropped", dropExtras, false, "no .msh data in this file (flags, header, lists set to defaults)", false,
             [] (MshMesh&) {}, [] (const MshMesh& m) { EXPECT_EQ (0x200u, named (m.root, "banner")->flags) << "from its two-sided material"; } },
    Resave { "flags_not_whole", [] (juce::var& g) { setExtra (g, "turret", "flags", 1.5); }, false,
             "node 2 \"turret\": flags 1.5 in extras is not a whole number from 0 to 4294967295: left out", false },
    Resave { "hp_mark_against_the_name", [] (juce::var& g) { setExtra (g, "turret", "isHp", true); }, false, "isHp true in extras is not what its name says" }),
    CaseName());

TEST (EditorNames, AreTheNamesAnEditorMakesOfAName)
{
    const std::string cut (70, 'x');
    for (const auto& [original, written, may] : { std::tuple ("wheel", "wheel.001", true), std::tuple ("", "Node_3", true), std::tuple ("", "Node_3.002", true),
                                                   std::tuple ("a b", "a_b", true), std::tuple (cut.c_str(), "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", true),
                                                   std::tuple ("wheel", "wheels", false), std::tuple ("wheel", "wheel.01", false), std::tuple ("", "Node_x", false),
                                                   std::tuple ("lamp", "", false), std::tuple (cut.c_str(), "xxxx", false), std::tuple ("", "", true) })
        EXPECT_EQ (may, editorMayWrite (original, written)) << original << " as " << written;
}
