// Tolmar MSH Viewer - files from strangers: what a glTF names outside its folder is never read, mirrored
// and sheared nodes keep their faces' normals outward, concave polygons keep their area.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/import/MeshImport.h"
#include "msh/TestSupport.h"

#if ! JUCE_WINDOWS
 #include <sys/stat.h>
#endif

namespace
{
    // A triangle's corners, as a buffer holds them.
    juce::MemoryBlock triangleBytes()
    {
        const float corners[] = { 0, 0, 0,  1, 0, 0,  0, 1, 0 };
        return juce::MemoryBlock (corners, sizeof (corners));
    }

    // A glTF of one triangle whose buffer is the uri given (and whose node is placed as given).
    std::string gltfOf (const std::string& uri, const std::string& node = "{ \"mesh\": 0 }", const std::string& images = "")
    {
        return R"({ "asset": { "version": "2.0" }, "buffers": [ { "uri": ")" + uri + R"(", "byteLength": 36 } ], )" + images
             + R"("bufferViews": [ { "buffer": 0, "byteLength": 36 } ],
                 "accessors": [ { "bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3" } ],
                 "meshes": [ { "primitives": [ { "attributes": { "POSITION": 0 } } ] } ], "nodes": [ )" + node + R"( ], "scenes": [ { "nodes": [0] } ] })";
    }

    // What a case makes in the glTF's folder first; false where this system cannot make it.
    using Prepare = std::function<bool (const juce::File& folder)>;
    const Prepare nothing = [] (const juce::File&) { return true; };
    Prepare folderNamed (const char* name)  { return [=] (const juce::File& f) { return f.getChildFile (name).createDirectory().wasOk(); }; }
    Prepare copy (const char* from, const char* to) { return [=] (const juce::File& f) { return f.getChildFile (from).copyFileTo (f.getChildFile (to)); }; }
   #if JUCE_WINDOWS // links need rights a user seldom has, and there are no FIFOs
    Prepare linkNamed (const char*, const char*)  { return [] (const juce::File&) { return false; }; }
    Prepare fifo (const char*)               { return [] (const juce::File&) { return false; }; }
   #else
    Prepare linkNamed (const char* target, const char* name) { return [=] (const juce::File& f) { return juce::File::createSymbolicLink (f.getChildFile (name), target, false); }; }
    Prepare fifo (const char* name) { return [=] (const juce::File& f) { return ::mkfifo (f.getChildFile (name).getFullPathName().toRawUTF8(), 0600) == 0; }; }
   #endif

    struct UriCase
    {
        std::string name;
        std::string uri;
        Prepare prepare;
        const char* says;      // in the error, naming the uri; nothing: read
        std::string images = "";
    };

    void PrintTo (const UriCase& c, std::ostream* out) { *out << c.name; }

    class HostileUri : public ::testing::TestWithParam<UriCase> {};
}

TEST_P (HostileUri, IsResolvedInsideTheGltfsFolderOrRefused)
{
    const auto& c = GetParam();
    ScratchFolder scratch;
    const auto folder = scratch.folder.getChildFile ("inner");
    folder.createDirectory();
    scratch.write ("secret.bin", triangleBytes());
    scratch.write ("inner/real.bin", triangleBytes());
    if (! c.prepare (folder))
        GTEST_SKIP() << "this system cannot make what the case needs";
    const auto text = gltfOf (c.uri, "{ \"mesh\": 0 }", c.images);
    const auto file = scratch.write ("inner/x.gltf", text);

    MshMesh mesh;
    const auto said = failureOf (importMesh (file, mesh));

    if (c.says[0] == 0)
        EXPECT_EQ (juce::String(), said);
    else
        EXPECT_TRUE (said.contains (c.says)) << said;
}

INSTANTIATE_TEST_SUITE_P (Gltf, HostileUri, ::testing::Values (
    UriCase { "absolute_path", "/etc/passwd", nothing, "\"/etc/passwd\" is an absolute path" },
    UriCase { "up_and_out", "../../../../etc/passwd", nothing, "\"../../../../etc/passwd\" leads out of the folder" },
    UriCase { "up_to_a_neighbour", "../secret.bin", nothing, "\"../secret.bin\" leads out of the folder" },
    UriCase { "web_address", "http://example.com/x.bin", nothing, "\"http://example.com/x.bin\" is no file in the folder" },
    UriCase { "file_address", "file:///etc/passwd", nothing, "\"file:///etc/passwd\" is no file in the folder" },
    UriCase { "drive_letter", "C:/x.bin", nothing, "\"C:/x.bin\" is no file in the folder" },
    UriCase { "folder", "sub", folderNamed ("sub"), "inner/sub : is a directory" },
    UriCase { "the_folder_itself", ".", nothing, "is a directory" },
    UriCase { "fifo", "pipe.bin", fifo ("pipe.bin"), "pipe.bin : is not a regular file" },
    UriCase { "link_out", "out.bin", linkNamed ("../secret.bin", "out.bin"), "\"out.bin\" leads out of the folder" },
    UriCase { "absolute_link_out", "abs.bin", linkNamed ("/etc/passwd", "abs.bin"), "\"abs.bin\" is a symbolic link out of the folder" },
    UriCase { "link_loop", "loop.bin", linkNamed ("loop.bin", "loop.bin"), "\"loop.bin\" is a symbolic link that cannot be followed" },
    UriCase { "image_up_and_out", "real.bin", nothing, "\"../secret.png\" leads out of the folder", R"("images": [ { "uri": "../secret.png" } ], )" },
    UriCase { "link_inside", "in.bin", [] (const juce::File& f) { return linkNamed ("sub/../real.bin", "in.bin") (f) && folderNamed ("sub") (f); }, "" },
    UriCase { "down_and_up_inside", "sub/../real.bin", folderNamed ("sub"), "" },
    UriCase { "through_a_linked_folder", "lnk/real.bin", [] (const juce::File& f) { return folderNamed ("sub") (f) && copy ("real.bin", "sub/real.bin") (f) && linkNamed ("sub", "lnk") (f); }, "" },
    UriCase { "percent_encoded_name", "a%20b%23.bin", copy ("real.bin", "a b#.bin"), "" }),
    CaseName());

namespace
{
    struct Placement
    {
        std::string name;
        std::string node;   // a node of the box's mesh: matrix, or translation, rotation and scale
    };

    void PrintTo (const Placement& c, std::ostream* out) { *out << c.name; }

    class MirroredNode : public ::testing::TestWithParam<Placement> {};
}

TEST_P (MirroredNode, KeepsEveryNormalOnTheOutsideOfItsFace)
{
    // A box of outward normals, through the node: each corner's normal on its triangle's outside.
    MshObject box;
    addBox (box, 1, 2, 3);
    std::vector<float> bytes;
    for (const auto& v : box.vertices)
        bytes.insert (bytes.end(), { v.x, v.y, v.z });
    for (const auto& v : box.vertices)
        bytes.insert (bytes.end(), { v.nx, v.ny, v.nz });
    std::vector<juce::uint16> corners (box.indices.begin(), box.indices.end());
    const auto vertexBytes = bytes.size() * sizeof (float), count = box.vertices.size();
    juce::MemoryBlock buffer (bytes.data(), vertexBytes);
    buffer.append (corners.data(), corners.size() * 2);

    ScratchFolder scratch;
    scratch.write ("box.bin", buffer);
    const auto json = R"({ "asset": { "version": "2.0" }, "buffers": [ { "uri": "box.bin", "byteLength": )" + std::to_string (buffer.getSize()) + R"( } ],
        "bufferViews": [ { "buffer": 0, "byteLength": )" + std::to_string (vertexBytes / 2) + R"( }, { "buffer": 0, "byteOffset": )" + std::to_string (vertexBytes / 2)
        + R"(, "byteLength": )" + std::to_string (vertexBytes / 2) + R"( }, { "buffer": 0, "byteOffset": )" + std::to_string (vertexBytes) + R"(, "byteLength": )"
        + std::to_string (corners.size() * 2) + R"( } ],
        "accessors": [ { "bufferView": 0, "componentType": 5126, "count": )" + std::to_string (count) + R"(, "type": "VEC3" },
                       { "bufferView": 1, "componentType": 5126, "count": )" + std::to_string (count) + R"(, "type": "VEC3" },
                       { "bufferView": 2, "componentType": 5123, "count": )" + std::to_string (corners.size()) + R"(, "type": "SCALAR" } ],
        "meshes": [ { "primitives": [ { "attributes": { "POSITION": 0, "NORMAL": 1 }, "indices": 2 } ] } ],
        "nodes": [ )" + GetParam().node + R"( ], "scenes": [ { "nodes": [0] } ] })";
    const auto file = scratch.write ("box.gltf", json);

    MshMesh mesh;
    ASSERT_EQ (juce::String(), failureOf (importMesh (file, mesh)));
    const auto& v = mesh.root.vertices;
    const auto& i = mesh.root.indices;
    ASSERT_EQ (36u, i.size());

    for (size_t t = 0; t < i.size(); t += 3)
    {
        const auto& a = v[i[t]], &b = v[i[t + 1]], &c = v[i[t + 2]];
        const std::array<double, 3> e1 { b.x - a.x, b.y - a.y, b.z - a.z }, e2 { c.x - a.x, c.y - a.y, c.z - a.z };
        const std::array<double, 3> face { e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0] };

        // Outward: away from the box's centre, which the node leaves at the origin.
        EXPECT_GT (face[0] * a.x + face[1] * a.y + face[2] * a.z, 0) << "triangle " << t / 3 << " turned inward";

        for (const auto* corner : { &a, &b, &c })
            EXPECT_GT (face[0] * corner->nx + face[1] * corner->ny + face[2] * corner->nz, 0) << "a normal of triangle " << t / 3 << " inward";
    }
}

INSTANTIATE_TEST_SUITE_P (Box, MirroredNode, ::testing::Values (
    Placement { "as_it_is", R"({ "mesh": 0 })" },
    Placement { "mirrored_in_x", R"({ "mesh": 0, "scale": [-1, 1, 1] })" },
    Placement { "mirrored_in_z_and_stretched", R"({ "mesh": 0, "scale": [2, 0.5, -3] })" },
    Placement { "turned_and_mirrored", R"({ "mesh": 0, "rotation": [0.18257419, 0.36514837, 0.54772256, 0.73029674], "scale": [1, -2, 1] })" },
    Placement { "sheared", R"({ "mesh": 0, "matrix": [1, 0, 0, 0,  0.8, 1, 0, 0,  0, 0.5, 1, 0,  0, 0, 0, 1] })" },
    Placement { "sheared_and_mirrored", R"({ "mesh": 0, "matrix": [1, 0, 0, 0,  0.8, -1, 0, 0,  0, 0.5, 1, 0,  0, 0, 0, 1] })" }),
    CaseName());

namespace
{
    struct Polygon
    {
        std::string name;
        std::string corners;   // v lines
        double area;
    };

    void PrintTo (const Polygon& c, std::ostream* out) { *out << c.name; }

    class ObjPolygon : public ::testing::TestWithParam<Polygon> {};
}

TEST_P (ObjPolygon, IsCutIntoTrianglesThatCoverItFacingItsWay)
{
    const auto& c = GetParam();
    std::string text = "o polygon\n" + c.corners + "f";
    const auto count = (size_t) std::count (c.corners.begin(), c.corners.end(), 'v');
    for (size_t k = 1; k <= count; ++k)
        text += " " + std::to_string (k);
    text += "\n";

    ScratchFolder scratch;
    MshMesh mesh;
    ASSERT_EQ (juce::String(), failureOf (importMesh (scratch.write ("p.obj", text), mesh)));
    const auto& o = *mesh.root.firstChild;
    ASSERT_EQ ((count - 2) * 3, o.indices.size());

    // The polygon's own turning sense, from its first three corners on its hull (the test polygons start there).
    const auto& p0 = o.vertices[0], &p1 = o.vertices[1], &p2 = o.vertices[2];
    const std::array<double, 3> u { p1.x - p0.x, p1.y - p0.y, p1.z - p0.z }, w { p2.x - p0.x, p2.y - p0.y, p2.z - p0.z };
    const std::array<double, 3> normal { u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0] };
    double area = 0;

    for (size_t t = 0; t < o.indices.size(); t += 3)
    {
        const auto& a = o.vertices[o.indices[t]], &b = o.vertices[o.indices[t + 1]], &d = o.vertices[o.indices[t + 2]];
        const std::array<double, 3> e1 { b.x - a.x, b.y - a.y, b.z - a.z }, e2 { d.x - a.x, d.y - a.y, d.z - a.z };
        const std::array<double, 3> face { e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0] };
        EXPECT_GE (face[0] * normal[0] + face[1] * normal[1] + face[2] * normal[2], 0) << "triangle " << t / 3 << " flipped";
        area += std::hypot (face[0], face[1], face[2]) / 2;
    }

    EXPECT_NEAR (c.area, area, 1e-4);
}

INSTANTIATE_TEST_SUITE_P (Faces, ObjPolygon, ::testing::Values (
    Polygon { "convex_square", "v 0 0 0\nv 2 0 0\nv 2 2 0\nv 0 2 0\n", 4 },
    Polygon { "concave_five_corners", "v 0 0 0\nv 4 0 0\nv 4 4 0\nv 2 1 0\nv 0 4 0\n", 10 },
    Polygon { "l_shape", "v 0 0 0\nv 3 0 0\nv 3 1 0\nv 1 1 0\nv 1 3 0\nv 0 3 0\n", 5 },
    Polygon { "arrow_on_its_side", "v 0 0 0\nv 0 0 4\nv 0 4 4\nv 0 1 2\nv 0 4 0\n", 10 },
    Polygon { "tilted_comb", "v 0 0 0\nv 6 0 6\nv 6 3 6\nv 5 1 5\nv 4 3 4\nv 3 1 3\nv 2 3 2\nv 1 1 1\nv 0 3 0\n", 12 * 1.4142135623730951 }),
    CaseName());

namespace
{
    struct Bom
    {
        std::string name;
        std::string text;
        const char* firstObject;
        size_t vertices;
    };

    void PrintTo (const Bom& c, std::ostream* out) { *out << c.name; }

    class ObjByteOrderMark : public ::testing::TestWithParam<Bom> {};
}

TEST_P (ObjByteOrderMark, TakesNoLineAway)
{
    ScratchFolder scratch;
    const auto text = "\xef\xbb\xbf" + GetParam().text;
    MshMesh mesh;
    ASSERT_EQ (juce::String(), failureOf (importMesh (scratch.write ("bom.obj", text), mesh)));
    EXPECT_EQ (juce::String (GetParam().firstObject), mesh.root.firstChild->name);
    EXPECT_EQ (GetParam().vertices, mesh.root.firstChild->vertices.size());
}

INSTANTIATE_TEST_SUITE_P (Obj, ObjByteOrderMark, ::testing::Values (
    Bom { "before_a_name", "o named\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "named", 3 },
    Bom { "before_a_vertex", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\no last\nf 1 2 3\nf 2 4 3\n", "last", 4 }),
    CaseName());

TEST (GltfRoots, AfterTheFirstAreItsSiblingsInTheirOrder)
{
    ScratchFolder scratch;
    scratch.write ("t.bin", triangleBytes());
    auto text = gltfOf ("t.bin", R"({ "mesh": 0, "name": "first" }, { "mesh": 0, "name": "second" }, { "name": "third" }, { "mesh": 0, "name": "fourth" })");
    text.replace (text.find ("\"nodes\": [0]"), 12, "\"nodes\": [0, 1, 2, 3]");
    MshMesh mesh;
    ASSERT_EQ (juce::String(), failureOf (importMesh (scratch.write ("roots.gltf", text), mesh)));
    juce::StringArray names;
    for (const auto* o = &mesh.root; o != nullptr; o = o->nextSibling.get())
        names.add (o->name);
    EXPECT_EQ (juce::String ("first second third fourth"), names.joinIntoString (" "));
}

TEST (BigObjects, SplitIntoAsManyChildrenAsTheirVerticesNeedInOrder)
{
    // 140,000 vertices, a triangle of three new ones at a time: parts of 65,535, 65,535 and 8,928 (the last two vertices make no triangle).
    ScratchFolder scratch;
    std::string text = "o big\n";
    for (int i = 0; i < 140000; ++i)
        text += "v " + std::to_string (i) + " " + std::to_string (i % 2) + " 0\n" + (i % 3 == 2 ? "f -3 -2 -1\n" : "");
    MshMesh mesh;
    const auto outcome = importMesh (scratch.write ("big.obj", text), mesh);
    ASSERT_TRUE (outcome.ok() && outcome->warnings.size() == 1) << failureOf (outcome);
    EXPECT_EQ (juce::String ("object \"big\": more than 65535 vertices, split into child objects"), outcome->warnings[0].message);
    const auto& big = *mesh.root.firstChild;
    juce::StringArray parts;
    parts.add (big.name + ":" + juce::String ((int) big.vertices.size()));
    for (const auto* c = big.firstChild.get(); c != nullptr; c = c->nextSibling.get())
        parts.add (c->name + ":" + juce::String ((int) c->vertices.size()));
    EXPECT_EQ (juce::String ("big:65535 big 2:65535 big 3:8928"), parts.joinIntoString (" "));
}

namespace
{
    struct Change
    {
        std::string name;
        std::string file;      // .obj text, or a glTF node for a triangle of the buffer given
        const char* says;      // in the warning or failure
        juce::MemoryBlock buffer = triangleBytes();
        std::function<bool (const MshMesh&)> holds = [] (const MshMesh&) { return true; };
        std::string top = "";  // more of the glTF's top level
    };

    void PrintTo (const Change& c, std::ostream* out) { *out << c.name; }

    class ImportChange : public ::testing::TestWithParam<Change> {};

    juce::MemoryBlock notANumberCorner()
    {
        const float corners[] = { std::nanf (""), 0, 0,  1, 0, 0,  0, 1, 0 };
        return juce::MemoryBlock (corners, sizeof (corners));
    }
}

TEST_P (ImportChange, IsSaidNotMadeInSilence)
{
    const auto& c = GetParam();
    ScratchFolder scratch;
    scratch.write ("t.bin", c.buffer);
    const auto gltf = c.file[0] == '{';
    const auto text = gltf ? gltfOf ("t.bin", c.file, c.top) : c.file;
    MshMesh mesh;
    const auto outcome = importMesh (scratch.write (gltf ? "x.gltf" : "x.obj", text), mesh);
    juce::String said = outcome.ok() ? juce::String() : outcome.message();
    for (const auto& w : outcome.ok() ? outcome->warnings : std::vector<MshWarning>())
        said << w.message << "\n";
    EXPECT_TRUE (said.contains (c.says)) << said;
    EXPECT_TRUE (c.holds (mesh));
}

INSTANTIATE_TEST_SUITE_P (Import, ImportChange, ::testing::Values (
    Change { "flags_as_text", R"({ "mesh": 0, "extras": { "flags": "16" } })", "flags \"16\" in extras is not a whole number" },
    Change { "flags_negative", R"({ "mesh": 0, "extras": { "flags": -1 } })", "flags -1 in extras is not a whole number" },
    Change { "flags_past_32_bits", R"({ "mesh": 0, "extras": { "flags": 1099511627776 } })", "flags 1099511627776 in extras is not a whole number" },
    Change { "flags_of_the_top_bit_kept", R"({ "mesh": 0, "extras": { "flags": 2147483664 } })", "",
             juce::MemoryBlock (triangleBytes()), [] (const MshMesh& m) { return m.root.flags == 0x80000010u; } },
    Change { "name_with_a_zero_byte", R"({ "mesh": 0, "name": "a\u0000b" })", "its name has a zero byte" },
    Change { "translation_past_a_float", R"({ "mesh": 0, "translation": [1e39, 0, 0] })", "a translation that is not a finite number",
             juce::MemoryBlock (triangleBytes()), [] (const MshMesh& m) { return m.root.matrix[12] == 0; } },
    Change { "gltf_position_not_a_number", R"({ "mesh": 0 })", "1 triangles with a corner whose position or texture coordinate is not a finite number", notANumberCorner() },
    Change { "quantized_geometry_read", R"({ "mesh": 0 })", "", triangleBytes(), [] (const MshMesh& m) { return m.root.indices.size() == 3; },
             R"("extensionsUsed": ["KHR_mesh_quantization"], "extensionsRequired": ["KHR_mesh_quantization"], )" },
    Change { "default_scene_past_the_scenes", R"({ "mesh": 0 })", "", triangleBytes(), [] (const MshMesh& m) { return m.root.indices.size() == 3; }, R"("scene": 5, )" },
    Change { "obj_not_a_number", "v nan 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\nf 2 4 3\n", "line 1: \"v nan 0 0\" is not a finite number" },
    Change { "obj_infinity", "v 0 0 0\nv inf 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\nf 1 4 3\n", "line 2: \"v inf 0 0\" is not a finite number" },
    Change { "obj_lines_points_and_two_corners", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nl 1 2\np 3\nf 1 2\n", "3 lines, points or faces of fewer than three corners left out, the first at line 5" },
    Change { "obj_beyond_a_float", "v 1e999 0 0\n", "line 1: \"1e999\" is beyond what a float can hold" },
    Change { "obj_normal_never_given", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1//1 2//1 3//1\n", "line 4: a face refers to normal 1, but the file gives 0 normals" }),
    CaseName());
