// Tolmar MSH Viewer - which object is under a point of the view: a ray against the drawn triangles.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshPicking.h"
#include "msh/MshGeometry.h"

#include <cmath>

namespace
{
    using Vector = ViewCamera::Vector;

    Vector minus (const Vector& a, const Vector& b)   { return { a[0] - b[0], a[1] - b[1], a[2] - b[2] }; }
    double dot (const Vector& a, const Vector& b)     { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
    Vector cross (const Vector& a, const Vector& b)   { return { a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0] }; }

    // The ray's parameter where it meets the triangle (Möller and Trumbore), or NaN where it does not.
    double hit (const ViewCamera::Ray& ray, const Vector& a, const Vector& b, const Vector& c)
    {
        const auto ab = minus (b, a), ac = minus (c, a);
        const auto p = cross (ray.direction, ac);
        const auto determinant = dot (ab, p);

        if (determinant == 0 || ! std::isfinite (determinant))
            return std::nan ("");

        const auto toOrigin = minus (ray.origin, a);
        const auto u = dot (toOrigin, p) / determinant;
        const auto q = cross (toOrigin, ab);
        const auto v = dot (ray.direction, q) / determinant;

        if (! (u >= 0 && v >= 0 && u + v <= 1))
            return std::nan ("");

        return dot (ac, q) / determinant;
    }
}

const MshObject* pickObject (const ViewCamera& camera, const MshObject& root, double x, double y, int width, int height,
                             const HiddenObjects& hidden)
{
    const auto ray = camera.rayThrough (x, y, width, height);
    const auto nearest = (double) camera.nearPlane, farthest = 2.0 * (double) camera.farthestDistance;
    auto best = farthest;
    const MshObject* picked = nullptr;

    mshForEachPlacedObject (root, true, { 0, 0, 0 }, [&] (const MshObject& object, double ox, double oy, double oz)
    {
        if (hidden.count (&object) != 0)
            return;

        const auto place = [=] (const MshVertex& v) { return Vector { ox + v.x, oy + v.y, oz + v.z }; };

        mshForEachDrawableTriangle (object, [&] (const MshVertex& a, const MshVertex& b, const MshVertex& c)
        {
            const auto t = hit (ray, place (a), place (b), place (c));

            if (t >= nearest && t <= best) // NaN fails both
            {
                best = t;
                picked = &object;
            }
        });
    });

    return picked;
}
