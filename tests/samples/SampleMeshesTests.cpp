// Tolmar MSH Viewer - the meshes built in code: what other programs see of them once exported.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/MshGeometry.h"
#include "msh/TestSupport.h"

TEST (SampleMeshes, EveryBuiltTriangleIsWoundCounterClockwiseAroundItsNormals)
{
    // Programs that light and cull (every other viewer of an export) show a triangle from the side its
    // corners run counter-clockwise: that side must be where its normals point.
    MshMesh sample;
    buildSampleMesh (sample);
    MshObject box, cylinder, sphere, quad;
    addBox (box, 1, 2, 3);
    addCylinder (cylinder, 1, 2, 7);
    addSphere (sphere, 1, 5, 7);
    addQuad (quad, 2, 1);

    for (const auto* object : { &box, &cylinder, &sphere, &quad })
        ASSERT_FALSE (object->indices.empty());

    mshForEachPlacedObject (sample.root, false, { 0, 0, 0 }, [&] (const MshObject& object, double, double, double)
    {
        for (const auto* shape : std::initializer_list<const MshObject*> { &object, &box, &cylinder, &sphere, &quad })
        {
            size_t wrong = 0;
            mshForEachDrawableTriangle (*shape, [&] (const MshVertex& a, const MshVertex& b, const MshVertex& c)
            {
                const double ab[3] = { b.x - a.x, b.y - a.y, b.z - a.z }, ac[3] = { c.x - a.x, c.y - a.y, c.z - a.z };
                const double face[3] = { ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2], ab[0] * ac[1] - ab[1] * ac[0] };
                const double normal[3] = { a.nx + b.nx + c.nx, a.ny + b.ny + c.ny, a.nz + b.nz + c.nz };
                const auto along = face[0] * normal[0] + face[1] * normal[1] + face[2] * normal[2];
                wrong += along < 0 ? 1 : 0; // the poles' slivers have no area: 0
            });
            EXPECT_EQ (0u, wrong) << object.name;
        }
    });
}
