// Tolmar MSH Viewer - meshes built in code: the bundled sample, test fixtures, fuzzer seeds, benchmark files.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "SampleMeshes.h"
#include "msh/MshWriter.h"

#include <cmath>

namespace
{
    void addVertex (MshObject& object, float x, float y, float z, float nx, float ny, float nz, float u, float v)
    {
        object.vertices.push_back ({ x, y, z, nx, ny, nz, u, v });
    }

    juce::uint16 nextIndex (const MshObject& object)
    {
        jassert (object.vertices.size() < 65536);
        return (juce::uint16) object.vertices.size();
    }

    void addTriangle (MshObject& object, int a, int b, int c)
    {
        object.indices.push_back ((juce::uint16) a);
        object.indices.push_back ((juce::uint16) b);
        object.indices.push_back ((juce::uint16) c);
    }

    // A face of four corners given counter-clockwise, with (u, v) running 0 to 1 across it.
    void addFace (MshObject& object, const float (&corners)[4][3], const float (&normal)[3])
    {
        const auto first = nextIndex (object);
        const float uv[4][2] = { { 0, 0 }, { 1, 0 }, { 1, 1 }, { 0, 1 } };

        for (int i = 0; i < 4; ++i)
            addVertex (object, corners[i][0], corners[i][1], corners[i][2], normal[0], normal[1], normal[2], uv[i][0], uv[i][1]);

        addTriangle (object, first, first + 1, first + 2);
        addTriangle (object, first, first + 2, first + 3);
    }

    constexpr float pi = 3.14159265358979f;

    // The bytes before the header string say who wrote the file; nothing reads them.
    void signWriter (MshMesh& mesh)
    {
        static constexpr char signature[] = "Tolmar MSH Viewer test writer";
        std::memcpy (mesh.headerLead.data(), signature, sizeof (signature));
    }
}

void addBox (MshObject& object, float width, float height, float depth)
{
    const auto x = width / 2, y = height / 2, z = depth / 2;

    addFace (object, { { -x, -y, z }, { x, -y, z }, { x, y, z }, { -x, y, z } }, { 0, 0, 1 });
    addFace (object, { { x, -y, -z }, { -x, -y, -z }, { -x, y, -z }, { x, y, -z } }, { 0, 0, -1 });
    addFace (object, { { x, -y, z }, { x, -y, -z }, { x, y, -z }, { x, y, z } }, { 1, 0, 0 });
    addFace (object, { { -x, -y, -z }, { -x, -y, z }, { -x, y, z }, { -x, y, -z } }, { -1, 0, 0 });
    addFace (object, { { -x, y, z }, { x, y, z }, { x, y, -z }, { -x, y, -z } }, { 0, 1, 0 });
    addFace (object, { { -x, -y, -z }, { x, -y, -z }, { x, -y, z }, { -x, -y, z } }, { 0, -1, 0 });
}

void addQuad (MshObject& object, float width, float height)
{
    const auto x = width / 2, y = height / 2;
    addFace (object, { { -x, -y, 0 }, { x, -y, 0 }, { x, y, 0 }, { -x, y, 0 } }, { 0, 0, 1 });
}

void addCylinder (MshObject& object, float radius, float length, int segments)
{
    const auto first = nextIndex (object);
    const auto half = length / 2;

    // The side: two rings of vertices, the texture wrapped twice around.
    for (int i = 0; i <= segments; ++i)
    {
        const auto angle = 2 * pi * (float) i / (float) segments;
        const auto cy = std::cos (angle), cz = std::sin (angle);
        const auto u = 2.0f * (float) i / (float) segments;
        addVertex (object, -half, radius * cy, radius * cz, 0, cy, cz, u, 0);
        addVertex (object, half, radius * cy, radius * cz, 0, cy, cz, u, 1);
    }

    for (int i = 0; i < segments; ++i)
    {
        const auto a = first + 2 * i;
        addTriangle (object, a, a + 2, a + 3);
        addTriangle (object, a, a + 3, a + 1);
    }

    // The two caps, fanned from their centres.
    for (const float side : { -1.0f, 1.0f })
    {
        const auto centre = nextIndex (object);
        addVertex (object, side * half, 0, 0, side, 0, 0, 0.5f, 0.5f);

        for (int i = 0; i <= segments; ++i)
        {
            const auto angle = 2 * pi * (float) i / (float) segments;
            const auto cy = std::cos (angle), cz = std::sin (angle);
            addVertex (object, side * half, radius * cy, radius * cz, side, 0, 0, 0.5f + 0.5f * cy, 0.5f + 0.5f * cz);
        }

        // Counter-clockwise seen from outside, where the cap's normal points.
        for (int i = 0; i < segments; ++i)
            if (side > 0)
                addTriangle (object, centre, centre + 1 + i, centre + 2 + i);
            else
                addTriangle (object, centre, centre + 2 + i, centre + 1 + i);
    }
}

void addSphere (MshObject& object, float radius, int rings, int segments)
{
    const auto first = nextIndex (object);

    for (int r = 0; r <= rings; ++r)
    {
        const auto polar = pi * (float) r / (float) rings;

        for (int s = 0; s <= segments; ++s)
        {
            const auto azimuth = 2 * pi * (float) s / (float) segments;
            // The poles exactly on the axis: sin (pi) in float is a hair below 0, which would turn the
            // slivers there inside out.
            const auto across = r == 0 || r == rings ? 0.0f : std::sin (polar);
            const auto nx = across * std::cos (azimuth);
            const auto ny = std::cos (polar);
            const auto nz = across * std::sin (azimuth);
            addVertex (object, radius * nx, radius * ny, radius * nz, nx, ny, nz,
                       2.0f * (float) s / (float) segments, (float) r / (float) rings);
        }
    }

    for (int r = 0; r < rings; ++r)
    {
        for (int s = 0; s < segments; ++s)
        {
            const auto a = first + r * (segments + 1) + s;
            const auto b = a + segments + 1;
            addTriangle (object, a, a + 1, b); // counter-clockwise seen from outside
            addTriangle (object, a + 1, b + 1, b);
        }
    }
}

void setTranslation (MshObject& object, float x, float y, float z)
{
    // An identity matrix with the translation in elements 12, 13 and 14.
    object.matrix = { 1, 0, 0, 0,  0, 1, 0, 0,  0, 0, 1, 0,  x, y, z, 1 };
}

MshObject& addChild (MshObject& parent, const juce::String& name, juce::uint32 flags)
{
    auto* link = &parent.firstChild;

    while (*link != nullptr)
        link = &(*link)->nextSibling;

    *link = std::make_unique<MshObject>();
    auto& child = **link;
    child.name = name;
    child.flags = flags;
    child.isHp = mshNameIsHp (name);
    setTranslation (child, 0, 0, 0);
    return child;
}

void setCameraWords (MshMesh& mesh, float word0, float word18, float word19)
{
    const auto put = [&mesh] (int word, float value)
    {
        juce::uint32 bits;
        std::memcpy (&bits, &value, sizeof (bits));
        mshPutLittleEndian32 (mesh.headerBlock.data() + 4 * word, bits);
    };

    put (0, word0);
    put (18, word18);
    put (19, word19);
}

//==============================================================================
void buildSampleMesh (MshMesh& mesh)
{
    mesh.clear();
    signWriter (mesh);
    mesh.headerString = "tolmar sample: a scout cart";
    mesh.headerBlock = {};
    setCameraWords (mesh, 6.0f, 5.0f, 7.0f); // nearest 6, camera at 21, scene lowered by 2.5
    mesh.headerFloat = 1.0f;
    mesh.headerInts = { 1, 0, 0, 0, 0 };

    auto& base = mesh.root;
    base.name = "cart_base";
    base.flags = MshFlag::collidable;
    base.isHp = false;
    setTranslation (base, 0, 0, 0);
    addBox (base, 6, 0.5f, 8);

    auto& cabin = addChild (base, "cabin");
    setTranslation (cabin, 0, 1.5f, -1);
    addBox (cabin, 3, 2.5f, 3);

    auto& turret = addChild (cabin, "turret", MshFlag::lit);  // a child of a child
    setTranslation (turret, 0, 1.75f, 0);
    addBox (turret, 1.6f, 1, 1.6f);

    auto& gun = addChild (turret, "hp_gun");           // an HP: where a weapon is mounted
    setTranslation (gun, 1.5f, 0, 0);
    addCylinder (gun, 0.2f, 2, 12);

    for (const float side : { -1.0f, 1.0f })
    {
        auto& wheel = addChild (base, side < 0 ? "wheel_left" : "wheel_right", MshFlag::collidable);
        setTranslation (wheel, 3.4f * side, 0, 2.5f);
        addCylinder (wheel, 1, 0.6f, 16);
    }

    auto& banner = addChild (base, "banner", MshFlag::twoSided);
    setTranslation (banner, -2.2f, 3, 2.5f);
    addQuad (banner, 1.6f, 1);

    auto& lamp = addChild (base, "lamp", MshFlag::lit);
    setTranslation (lamp, 2.2f, 1, 3.2f);
    addSphere (lamp, 0.45f, 8, 12);

    auto& hull = addChild (base, "collision_hull", MshFlag::hidden | MshFlag::collidable);
    setTranslation (hull, 0, 0.6f, 3);
    addBox (hull, 1.2f, 0.7f, 1.2f);
}

void buildRichMesh (MshMesh& mesh)
{
    mesh.clear();
    signWriter (mesh);
    mesh.headerString = juce::String (juce::CharPointer_UTF8 ("rich \xc3\xa9t\xc3\xa9 header"));

    for (size_t i = 0; i < mesh.headerBlock.size(); ++i)
        mesh.headerBlock[i] = (juce::uint8) (i * 7 + 1);

    setCameraWords (mesh, 10.0f, 8.0f, 2.0f);
    mesh.headerFloat = 0.5f;
    mesh.headerInts = { -1, 2, 0x7fffffff, 4, -5 };

    const auto fillRecords = [] (auto& list, size_t count, int seed)
    {
        list.resize (count);

        for (size_t i = 0; i < count; ++i)
            for (size_t b = 0; b < list[i].size(); ++b)
                list[i][b] = (juce::uint8) (seed + (int) (i * 31 + b));
    };

    fillRecords (mesh.list12A, 2, 1);
    fillRecords (mesh.list12B, 1, 2);
    fillRecords (mesh.list8, 3, 3);
    fillRecords (mesh.list4, 2, 4);
    fillRecords (mesh.list20, 1, 5);
    fillRecords (mesh.list16, 2, 6);
    fillRecords (mesh.list64, 1, 7);
    fillRecords (mesh.record36List, 2, 8);
    mesh.shortList = { 1, 0xffff, 7 };

    mesh.tripleEntries.resize (3);
    mesh.tripleEntries[0].t0 = 1; mesh.tripleEntries[0].t1 = -2; mesh.tripleEntries[0].t2 = 3;
    mesh.tripleEntries[1].t0 = 4;
    mesh.tripleEntries[1].blockA = std::make_unique<MshNamedBlock68>();
    mesh.tripleEntries[1].blockA->name = "blockA";
    mesh.tripleEntries[1].blockA->data.fill (0x68);
    mesh.tripleEntries[2].t2 = 9;
    mesh.tripleEntries[2].blockB = std::make_unique<MshNamedBlock8>();
    mesh.tripleEntries[2].blockB->name = "b8";
    mesh.tripleEntries[2].blockB->data.fill (0x08);

    mesh.pairSets.resize (3);
    mesh.pairSets[1].pairCount = 1; mesh.pairSets[1].pairValue[0] = 1.5f; mesh.pairSets[1].pairIndex[0] = 3;
    mesh.pairSets[2].pairCount = 2; mesh.pairSets[2].pairValue = { -2.0f, 0.25f }; mesh.pairSets[2].pairIndex = { 4, 0xfffe };

    mesh.quadEntries.resize (2);
    mesh.quadEntries[0].q0 = 10; mesh.quadEntries[0].q1 = 11; mesh.quadEntries[0].q2 = 12; mesh.quadEntries[0].q3 = 13;
    mesh.quadEntries[1].q3 = 0xffff;
    mesh.quadEntries[1].blockA = std::make_unique<MshNamedBlock68>();
    mesh.quadEntries[1].blockA->name = "qa";
    mesh.quadEntries[1].blockB = std::make_unique<MshNamedBlock8>();

    mesh.namedGroups.resize (2);
    mesh.namedGroups[0].name = "group";
    mesh.namedGroups[0].value = 42;
    mesh.namedGroups[0].floatA = 1.25f;
    mesh.namedGroups[0].floatB = -0.5f;
    fillRecords (mesh.namedGroups[0].records, 2, 9);
    mesh.namedGroups[0].subGroups.resize (2);
    mesh.namedGroups[0].subGroups[0].intValue = 7;
    mesh.namedGroups[0].subGroups[0].floatValue = 0.75f;
    fillRecords (mesh.namedGroups[0].subGroups[0].records, 1, 10);

    auto& root = mesh.root;
    root.name = "root";
    root.valueA = 5;
    root.valueB = -6;
    root.flags = MshFlag::collidable | MshFlag::twoSided | MshFlag::lit;
    root.isHp = false;
    setTranslation (root, 0, 0, 0);
    fillRecords (root.list4, 2, 11);
    fillRecords (root.list16, 1, 12);
    addBox (root, 1, 1, 1);
    root.indices.push_back (200); // a triangle whose corner lies outside the vertex list
    root.indices.push_back (0);
    root.indices.push_back (1);
    root.indices.push_back (2);   // and one trailing index that belongs to no triangle
    root.quadEntries.resize (1);
    root.quadEntries[0].q1 = 0x2345;
    root.quadEntries[0].blockB = std::make_unique<MshNamedBlock8>();
    root.quadEntries[0].blockB->name = "qb";

    auto& a = addChild (root, "A", MshFlag::collidable);
    setTranslation (a, 1, 0, 0);
    addQuad (a, 1, 1);
    auto& a1 = addChild (a, juce::String (juce::CharPointer_UTF8 ("HP_\xc3\xbf")), 0xffffffffu);
    setTranslation (a1, 0, 2, 0);
    addQuad (a1, 1, 1);
    auto& b = addChild (root, "B");
    setTranslation (b, 0, 0, 3);

    root.nextSibling = std::make_unique<MshObject>();
    root.nextSibling->name = "beside_root";
    setTranslation (*root.nextSibling, -4, 0, 0);
    addQuad (*root.nextSibling, 1, 1);
}

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
    const juce::uint32 payload = 0x7fc01234; // a NaN that says something
    std::memcpy (&flat.matrix[13], &payload, sizeof (payload));
    auto& longNormals = addChild (flat, "long normals");
    addQuad (longNormals, 1, 1);
    for (auto& v : longNormals.vertices)
        v.nz = 7;
    addChild (mesh.root, "nothing");
    mesh.root.nextSibling = std::make_unique<MshObject>(); // beside the root, and moved by not a number too
    mesh.root.nextSibling->name = "beside";
    addQuad (*mesh.root.nextSibling, 1, 1);
    std::memcpy (&mesh.root.nextSibling->matrix[13], &payload, sizeof (payload));
}

void buildDeepChain (MshMesh& mesh, int depth)
{
    mesh.clear();
    mesh.root.name = "level0";
    auto* object = &mesh.root;

    for (int level = 1; level < depth; ++level)
    {
        object->firstChild = std::make_unique<MshObject>();
        object = object->firstChild.get();
        object->name = "level" + juce::String (level);
    }
}

void buildLongChain (MshMesh& mesh, int length)
{
    mesh.clear();
    mesh.root.name = "parent";
    std::unique_ptr<MshObject>* link = &mesh.root.firstChild;

    for (int i = 0; i < length; ++i)
    {
        *link = std::make_unique<MshObject>();
        (*link)->name = "sibling" + juce::String (i);
        link = &(*link)->nextSibling;
    }
}

void buildBallBlock (MshMesh& mesh, int count)
{
    mesh.clear();
    mesh.root.name = "balls";
    setCameraWords (mesh, 1, 0, 40);
    const auto side = (int) std::ceil (std::cbrt ((double) count));
    const auto spacing = 96.0f / (float) side;

    for (int i = 0; i < count; ++i)
    {
        auto& object = addChild (mesh.root, "ball" + juce::String (i));
        setTranslation (object, spacing * (float) (i % side - side / 2), spacing * (float) (i / side % side - side / 2), spacing * (float) (i / (side * side) - side / 2));
        addSphere (object, 0.4f * spacing, 10, 15); // 300 triangles
    }
}
