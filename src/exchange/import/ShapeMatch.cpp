// Tolmar MSH Viewer - whether geometry saved again by another program is still the shape it was given.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ShapeMatch.h"
#include "exchange/ExportParts.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
    using Point = std::array<float, 3>;

    const double closestNormals = std::cos (0.1 * 3.14159265358979323846 / 180.0);

    double squared (const Point& a)   { return (double) a[0] * a[0] + (double) a[1] * a[1] + (double) a[2] * a[2]; }

    // Within 0.1° of each other: the cosine compared squared, as a million corners would take a root each.
    bool closeNormals (const Point& a, const Point& b)
    {
        const auto lengths = squared (a) * squared (b);
        const auto dot = (double) a[0] * b[0] + (double) a[1] * b[1] + (double) a[2] * b[2];
        return lengths > 0 && std::isfinite (lengths) && dot > 0 && dot * dot >= closestNormals * closestNormals * lengths;
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
        g.positions.reserve (part.vertices.size());
        g.uvs.reserve (part.vertices.size());
        g.normals.reserve (part.normals ? part.vertices.size() : 0);

        for (const auto* v : part.vertices)
        {
            g.positions.push_back ({ (float) (offset[0] + v->x), (float) (offset[1] + v->y), (float) (offset[2] + v->z) });
            g.uvs.push_back ({ v->u, v->v });

            if (part.normals)
                g.normals.push_back (unitNormal (*v));
        }

        return g;
    }

    Point zeroSigned (Point p)
    {
        for (auto& x : p)
            x += 0.0f; // -0 as 0

        return p;
    }

    // Which vertices are corners of triangles with no area, or stand where one does: their normals are
    // not compared.
    std::vector<char> withoutDirection (const ImportedGeometry& g)
    {
        std::vector<Point> points;

        for (size_t t = 0; t + 2 < g.indices.size(); t += 3)
        {
            const auto& a = g.positions[g.indices[t]], &b = g.positions[g.indices[t + 1]], &c = g.positions[g.indices[t + 2]];
            const double ab[3] = { (double) b[0] - a[0], (double) b[1] - a[1], (double) b[2] - a[2] };
            const double ac[3] = { (double) c[0] - a[0], (double) c[1] - a[1], (double) c[2] - a[2] };

            if (ab[1] * ac[2] - ab[2] * ac[1] == 0 && ab[2] * ac[0] - ab[0] * ac[2] == 0 && ab[0] * ac[1] - ab[1] * ac[0] == 0)
                points.insert (points.end(), { zeroSigned (a), zeroSigned (b), zeroSigned (c) });
        }

        std::vector<char> flags (g.positions.size(), 0);

        if (points.empty())
            return flags;

        std::sort (points.begin(), points.end());

        for (size_t v = 0; v < flags.size(); ++v)
            flags[v] = std::binary_search (points.begin(), points.end(), zeroSigned (g.positions[v])) ? 1 : 0;

        return flags;
    }

    // Triangles of the export (a) and of the file (b), corner by corner.
    struct Corners
    {
        const ImportedGeometry& a;
        const ImportedGeometry& b;
        const std::vector<char> undirected; // by a's vertices

        // Triangle s of a from its corner sTurn on, against triangle t of b from its corner tTurn on.
        bool same (size_t s, size_t sTurn, size_t t, size_t tTurn) const
        {
            for (size_t k = 0; k < 3; ++k)
            {
                const auto i = a.indices[3 * s + (sTurn + k) % 3], j = b.indices[3 * t + (tTurn + k) % 3];

                if (a.positions[i] != b.positions[j]
                    || ! closeCoordinates (a.uvs[i][0], b.uvs[j][0]) || ! closeCoordinates (a.uvs[i][1], b.uvs[j][1])
                    || (! a.normals.empty() && undirected[i] == 0 && ! closeNormals (a.normals[i], b.normals[j])))
                    return false;
            }

            return true;
        }

        // The same, b's corners turned round as need be, starting where it is likeliest.
        bool sameTurned (size_t s, size_t sTurn, size_t t, size_t tTurn = 0) const
        {
            return same (s, sTurn, t, tTurn) || same (s, sTurn, t, tTurn + 1) || same (s, sTurn, t, tTurn + 2);
        }
    };

    // The triangles of one side, each turned to start where the sequence of its corners' positions is
    // least (a triangle whose corners were turned round is the same triangle), sorted by a hash of
    // those positions: triangles with the same positions meet in one run.
    struct Side
    {
        struct Entry
        {
            juce::uint64 hash;
            juce::uint32 triangle;
            juce::uint8 turn;
        };

        explicit Side (const ImportedGeometry& g) : geometry (g)
        {
            entries.resize (g.indices.size() / 3);

            for (juce::uint32 t = 0; t < entries.size(); ++t)
            {
                juce::uint8 turn = 0;

                for (juce::uint8 k = 1; k < 3; ++k)
                    if (turnedBefore (t, k, turn))
                        turn = k;

                juce::uint64 hash = 0x9E3779B97F4A7C15ull;

                for (int c = 0; c < 3; ++c)
                    for (const auto x : zeroSigned (position (t, turn + c)))
                    {
                        juce::uint32 bits;
                        std::memcpy (&bits, &x, sizeof (bits));
                        hash = (hash ^ bits) * 0xFF51AFD7ED558CCDull;
                        hash ^= hash >> 32;
                    }

                entries[t] = { hash, t, turn };
            }

            std::sort (entries.begin(), entries.end(), [] (const Entry& a, const Entry& b) { return a.hash < b.hash; });
        }

        const Point& position (juce::uint32 t, int k) const  { return geometry.positions[geometry.indices[3 * t + (size_t) (k % 3)]]; }

        // Whether the corners of t from turn k on come before those from turn l on, position by position
        // (as numbers, so -0 and 0 are one).
        bool turnedBefore (juce::uint32 t, int k, int l) const
        {
            for (int c = 0; c < 3; ++c)
            {
                const auto& p = position (t, k + c), &q = position (t, l + c);

                if (p != q)
                    return p < q;
            }

            return false;
        }

        const ImportedGeometry& geometry;
        std::vector<Entry> entries;
    };

    // Every triangle of a run of equal hashes in a paired with one of the run in b.
    bool pairRun (const Corners& corners, const Side& a, const Side& b, size_t from, size_t length)
    {
        std::vector<char> taken (length, 0);

        for (size_t i = from; i < from + length; ++i)
        {
            const auto& s = a.entries[i];
            size_t j = 0;

            while (j < length && (taken[j] != 0 || ! corners.sameTurned (s.triangle, s.turn, b.entries[from + j].triangle, b.entries[from + j].turn)))
                ++j;

            if (j == length)
                return false;

            taken[j] = 1;
        }

        return true;
    }
}

bool showsSameShape (const MshObject& original, const ImportedGeometry& shown, std::array<double, 3> offset)
{
    const auto exported = exportedGeometry (original, offset);
    const auto count = exported.indices.size() / 3;

    // The count of triangles first, and the attributes there are to compare.
    if (count != shown.indices.size() / 3
        || (! exported.normals.empty() && shown.normals.size() != shown.positions.size())
        || (shown.uvs.size() != shown.positions.size() && ! shown.indices.empty()))
        return false;

    const Corners corners { exported, shown, withoutDirection (exported) };

    // Editors mostly keep the triangles in their order: then each pairs with the one in its place.
    size_t t = 0;
    while (t < count && corners.sameTurned (t, 0, t))
        ++t;

    if (t == count)
        return true;

    const Side a (exported), b (shown);

    for (size_t i = 0; i < count;)
    {
        // The run of triangles with the same hash, the same on both sides.
        const auto hash = a.entries[i].hash;
        size_t length = 1;

        while (i + length < count && a.entries[i + length].hash == hash)
            ++length;

        for (size_t k = 0; k < length; ++k)
            if (b.entries[i + k].hash != hash)
                return false;

        if ((i + length < count && b.entries[i + length].hash == hash) || ! pairRun (corners, a, b, i, length))
            return false;

        i += length;
    }

    return true;
}
