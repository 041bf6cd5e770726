// Tolmar MSH Viewer - whether geometry saved again by another program is still the shape it was given.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ShapeMatch.h"
#include "ExportParts.h"

#include <algorithm>
#include <cmath>

namespace
{
    using Point = std::array<float, 3>;

    const double closestNormals = std::cos (0.1 * 3.14159265358979323846 / 180.0);

    // The triangles of one side, each with the turn of its corners that starts at the least position, so
    // a triangle whose corners were turned round sorts where it did.
    struct Side
    {
        explicit Side (const ImportedGeometry& g) : geometry (g)
        {
            const auto count = g.indices.size() / 3;
            order.resize (count);
            turn.resize (count);

            for (juce::uint32 t = 0; t < count; ++t)
            {
                order[t] = t;
                turn[t] = 0;

                for (juce::uint8 k = 1; k < 3; ++k)
                    if (position (t, k) < position (t, turn[t]))
                        turn[t] = k;
            }

            std::sort (order.begin(), order.end(), [this] (juce::uint32 a, juce::uint32 b) { return key (a) < key (b); });
        }

        juce::uint32 corner (juce::uint32 t, int k) const    { return geometry.indices[3 * t + (size_t) (k % 3)]; }
        const Point& position (juce::uint32 t, int k) const  { return geometry.positions[corner (t, k)]; }

        // Positions compare as numbers, so -0 and 0 are one.
        std::array<Point, 3> key (juce::uint32 t) const
        {
            return { position (t, turn[t]), position (t, turn[t] + 1), position (t, turn[t] + 2) };
        }

        const ImportedGeometry& geometry;
        std::vector<juce::uint32> order;
        std::vector<juce::uint8> turn;
    };

    bool closeNormals (const Point& a, const Point& b)
    {
        const auto la = std::hypot ((double) a[0], (double) a[1], (double) a[2]), lb = std::hypot ((double) b[0], (double) b[1], (double) b[2]);
        const auto dot = ((double) a[0] * b[0] + (double) a[1] * b[1] + (double) a[2] * b[2]) / (la * lb);
        return std::isfinite (dot) && dot >= closestNormals;
    }

    bool closeCoordinates (float a, float b)
    {
        return std::abs ((double) a - (double) b) <= 1e-6 * std::max (1.0, std::abs ((double) a));
    }

    // The export's view of the object as geometry of the import's kind, placed by offset.
    ImportedGeometry exportedGeometry (const MshObject& object, std::array<double, 3> offset)
    {
        const auto part = exportPart (object);
        ImportedGeometry g;
        g.indices = part.indices;

        for (const auto* v : part.vertices)
        {
            g.positions.push_back ({ (float) (offset[0] + v->x), (float) (offset[1] + v->y), (float) (offset[2] + v->z) });
            g.uvs.push_back ({ v->u, v->v });

            if (part.normals)
                g.normals.push_back (unitNormal (*v));
        }

        return g;
    }

    // The positions of the corners of triangles with no area, sorted: their normals are not compared.
    std::vector<Point> cornersWithoutDirection (const ImportedGeometry& g)
    {
        std::vector<Point> points;

        for (size_t t = 0; t + 2 < g.indices.size(); t += 3)
        {
            const auto& a = g.positions[g.indices[t]], &b = g.positions[g.indices[t + 1]], &c = g.positions[g.indices[t + 2]];
            const double ab[3] = { (double) b[0] - a[0], (double) b[1] - a[1], (double) b[2] - a[2] };
            const double ac[3] = { (double) c[0] - a[0], (double) c[1] - a[1], (double) c[2] - a[2] };

            if (ab[1] * ac[2] - ab[2] * ac[1] == 0 && ab[2] * ac[0] - ab[0] * ac[2] == 0 && ab[0] * ac[1] - ab[1] * ac[0] == 0)
                points.insert (points.end(), { a, b, c });
        }

        for (auto& p : points)
            for (auto& x : p)
                x += 0.0f; // -0 becomes 0, so equal points sort together

        std::sort (points.begin(), points.end());
        points.erase (std::unique (points.begin(), points.end()), points.end());
        return points;
    }

    struct Comparison
    {
        const Side& a;
        const Side& b;
        const bool normals;
        const std::vector<Point> undirected;

        bool hasDirection (Point p) const
        {
            for (auto& x : p)
                x += 0.0f;

            return ! std::binary_search (undirected.begin(), undirected.end(), p);
        }

        // Triangle s of a and triangle t of b, b's corners taken from turn tb on.
        bool same (juce::uint32 s, juce::uint32 t, int tb) const
        {
            for (int k = 0; k < 3; ++k)
            {
                const auto i = a.corner (s, a.turn[s] + k), j = b.corner (t, tb + k);
                const auto& p = a.geometry.positions[i];

                if (p != b.geometry.positions[j]
                    || ! closeCoordinates (a.geometry.uvs[i][0], b.geometry.uvs[j][0]) || ! closeCoordinates (a.geometry.uvs[i][1], b.geometry.uvs[j][1])
                    || (normals && hasDirection (p) && ! closeNormals (a.geometry.normals[i], b.geometry.normals[j])))
                    return false;
            }

            return true;
        }

        // Every triangle of a run of equal positions in a paired with one of the run in b.
        bool pairRun (size_t aFrom, size_t bFrom, size_t length) const
        {
            std::vector<char> taken (length, 0);

            for (size_t i = aFrom; i < aFrom + length; ++i)
            {
                bool paired = false;

                for (size_t j = 0; j < length && ! paired; ++j)
                {
                    const auto t = b.order[bFrom + j];

                    for (int turn = 0; turn < 3 && ! paired && taken[j] == 0; ++turn)
                        paired = same (a.order[i], t, turn);

                    taken[j] = paired ? 1 : taken[j];
                }

                if (! paired)
                    return false;
            }

            return true;
        }
    };

    bool finite (const ImportedGeometry& g)
    {
        for (const auto& p : g.positions)
            if (! std::isfinite (p[0]) || ! std::isfinite (p[1]) || ! std::isfinite (p[2]))
                return false;

        return true;
    }
}

bool showsSameShape (const MshObject& original, const ImportedGeometry& shown, std::array<double, 3> offset)
{
    const auto exported = exportedGeometry (original, offset);

    // The count of triangles first; positions that are no numbers would not sort.
    if (exported.indices.size() / 3 != shown.indices.size() / 3 || ! finite (shown)
        || (! exported.normals.empty() && shown.normals.size() != shown.positions.size())
        || (shown.uvs.size() != shown.positions.size() && ! shown.indices.empty()))
        return false;

    const Side a (exported), b (shown);
    const Comparison comparison { a, b, ! exported.normals.empty(), cornersWithoutDirection (exported) };

    for (size_t i = 0; i < a.order.size();)
    {
        // The run of triangles with the same positions, on both sides.
        const auto key = a.key (a.order[i]);
        size_t length = 1;

        while (i + length < a.order.size() && a.key (a.order[i + length]) == key)
            ++length;

        for (size_t k = 0; k < length; ++k)
            if (b.key (b.order[i + k]) != key)
                return false;

        if (i + length < b.order.size() && b.key (b.order[i + length]) == key)
            return false;

        if (! comparison.pairRun (i, i, length))
            return false;

        i += length;
    }

    return true;
}
