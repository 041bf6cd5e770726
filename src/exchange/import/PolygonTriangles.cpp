// Tolmar MSH Viewer - a polygon of another program's file cut into triangles.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "PolygonTriangles.h"

#include <cmath>

namespace
{
    using Point2 = std::array<double, 2>;

    double cross (const Point2& o, const Point2& a, const Point2& b)
    {
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
    }

    // p inside triangle abc (turning counter-clockwise) or on its edges.
    bool inside (const Point2& p, const Point2& a, const Point2& b, const Point2& c)
    {
        return cross (a, b, p) >= 0 && cross (b, c, p) >= 0 && cross (c, a, p) >= 0;
    }
}

std::vector<juce::uint32> polygonTriangles (const std::vector<std::array<float, 3>>& corners)
{
    const auto n = corners.size();
    std::vector<juce::uint32> triangles;

    if (n < 3)
        return triangles;

    // The polygon's normal by Newell's sum, which holds for concave polygons too; the polygon is seen
    // along its largest component, turning counter-clockwise.
    std::array<double, 3> normal { 0, 0, 0 };

    for (size_t i = 0; i < n; ++i)
    {
        const auto& a = corners[i], &b = corners[(i + 1) % n];
        normal[0] += ((double) a[1] - b[1]) * ((double) a[2] + b[2]);
        normal[1] += ((double) a[2] - b[2]) * ((double) a[0] + b[0]);
        normal[2] += ((double) a[0] - b[0]) * ((double) a[1] + b[1]);
    }

    const auto axis = std::abs (normal[0]) > std::abs (normal[1]) ? (std::abs (normal[0]) > std::abs (normal[2]) ? 0 : 2)
                                                                   : (std::abs (normal[1]) > std::abs (normal[2]) ? 1 : 2);
    const auto u = (axis + 1) % 3, v = (axis + 2) % 3;
    const auto sense = normal[(size_t) axis] < 0 ? -1.0 : 1.0;
    std::vector<Point2> flat (n);

    for (size_t i = 0; i < n; ++i)
        flat[i] = { corners[i][(size_t) u], sense * corners[i][(size_t) v] };

    const auto fan = [&] (const std::vector<juce::uint32>& left)
    {
        for (size_t i = 1; i + 1 < left.size(); ++i)
            triangles.insert (triangles.end(), { left[0], left[i], left[i + 1] });
    };

    std::vector<juce::uint32> left (n);

    for (juce::uint32 i = 0; i < n; ++i)
        left[i] = i;

    bool convex = true;

    for (size_t i = 0; i < n && convex; ++i)
        convex = cross (flat[i], flat[(i + 1) % n], flat[(i + 2) % n]) >= 0;

    // Ears: a corner whose triangle with its neighbours turns the polygon's way and holds no other corner.
    while (! convex && left.size() > 3)
    {
        bool clipped = false;

        for (size_t i = 0; i < left.size() && ! clipped; ++i)
        {
            const auto a = left[(i + left.size() - 1) % left.size()], b = left[i], c = left[(i + 1) % left.size()];

            if (cross (flat[a], flat[b], flat[c]) <= 0)
                continue;

            bool empty = true;

            for (const auto p : left)
                if (p != a && p != b && p != c && inside (flat[p], flat[a], flat[b], flat[c]))
                    empty = false;

            if (empty)
            {
                triangles.insert (triangles.end(), { a, b, c });
                left.erase (left.begin() + (std::ptrdiff_t) i);
                clipped = true;
            }
        }

        if (! clipped) // crossing itself, or in one line: what is left as a fan, as it stands
            break;
    }

    fan (left);
    return triangles;
}
