// Tolmar MSH Viewer - what another program may do to an object's geometry and still leave it untouched,
// and the smallest edits that are edits all the same.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/import/ShapeMatch.h"
#include "msh/TestSupport.h"

#include <cmath>

namespace
{
    // A box and, beside it, a sliver with no area whose corners have a direction of their own, and a
    // triangle with two corners in one place.
    void buildShape (MshObject& object)
    {
        addBox (object, 2, 1, 3);
        const auto first = (juce::uint16) object.vertices.size();
        object.vertices.push_back ({ 5, 0, 0, 0, 0, 1, 0, 0 });
        object.vertices.push_back ({ 6, 2, 3, 0, 0, 1, 1, 0 });
        object.vertices.push_back ({ 7, 4, 6, 0, 0, 1, 1, 1 });
        object.vertices.push_back ({ 9, 0, 0, 0, 0, 1, 0, 1 });
        object.indices.insert (object.indices.end(), { first, (juce::uint16) (first + 1), (juce::uint16) (first + 2), first, first, (juce::uint16) (first + 3) });
    }

    // The object's lists as another program would hand them back untouched: every vertex, in order.
    ImportedGeometry asSaved (const MshObject& object)
    {
        ImportedGeometry g;
        for (const auto& v : object.vertices)
        {
            g.positions.push_back ({ v.x, v.y, v.z });
            g.normals.push_back ({ v.nx, v.ny, v.nz });
            g.uvs.push_back ({ v.u, v.v });
        }
        g.indices.assign (object.indices.begin(), object.indices.end());
        return g;
    }

    // Turns a normal by the angle given, in degrees, about the axis square to it and to x or y.
    void turnNormal (std::array<float, 3>& n, double degrees)
    {
        const auto a = degrees * 3.14159265358979323846 / 180.0;
        const std::array<double, 3> side = std::abs (n[0]) < 0.9f ? std::array<double, 3> { 1, 0, 0 } : std::array<double, 3> { 0, 1, 0 };
        const std::array<double, 3> axis { n[1] * side[2] - n[2] * side[1], n[2] * side[0] - n[0] * side[2], n[0] * side[1] - n[1] * side[0] };
        const auto length = std::hypot (axis[0], axis[1], axis[2]);
        const std::array<double, 3> across { axis[1] * n[2] - axis[2] * n[1], axis[2] * n[0] - axis[0] * n[2], axis[0] * n[1] - axis[1] * n[0] };
        for (size_t i = 0; i < 3; ++i)
            n[i] = (float) (n[i] * std::cos (a) + across[i] / length * std::sin (a));
    }

    // Each vertex written once a corner, as a re-saver that splits every edge does.
    void unweld (ImportedGeometry& g)
    {
        ImportedGeometry split;
        for (const auto i : g.indices)
        {
            split.indices.push_back ((juce::uint32) split.positions.size());
            split.positions.push_back (g.positions[i]);
            split.normals.push_back (g.normals[i]);
            split.uvs.push_back (g.uvs[i]);
        }
        g = split;
    }

    struct ShapeCase
    {
        const char* name;
        std::function<void (ImportedGeometry&)> edit;
        bool same;
    };

    void PrintTo (const ShapeCase& c, std::ostream* out) { *out << c.name; }

    class ShapeMatch : public ::testing::TestWithParam<ShapeCase> {};
}

TEST_P (ShapeMatch, JudgesTheSavedGeometry)
{
    MshObject original;
    buildShape (original);
    auto shown = asSaved (original);
    GetParam().edit (shown);
    EXPECT_EQ (GetParam().same, showsSameShape (original, shown));
}

INSTANTIATE_TEST_SUITE_P (Saved, ShapeMatch, ::testing::Values (
    ShapeCase { "untouched", [] (ImportedGeometry&) {}, true },
    ShapeCase { "zeros_written_negative", [] (ImportedGeometry& g) { for (auto& n : g.normals) for (auto& x : n) x = x == 0 ? -0.0f : x; }, true },
    ShapeCase { "every_corner_its_own_vertex", unweld, true },
    ShapeCase { "triangles_in_reverse_order", [] (ImportedGeometry& g)
        {
            std::vector<juce::uint32> reversed;
            for (auto end = g.indices.size(); end >= 3; end -= 3)
                reversed.insert (reversed.end(), g.indices.begin() + (std::ptrdiff_t) end - 3, g.indices.begin() + (std::ptrdiff_t) end);
            g.indices = reversed;
        }, true },
    ShapeCase { "corners_turned_round", [] (ImportedGeometry& g) { std::rotate (g.indices.begin(), g.indices.begin() + 1, g.indices.begin() + 3); }, true },
    ShapeCase { "normal_off_by_0_05_degree", [] (ImportedGeometry& g) { turnNormal (g.normals[0], 0.05); }, true },
    ShapeCase { "normal_longer", [] (ImportedGeometry& g) { for (auto& x : g.normals[3]) x *= 3; }, true },
    ShapeCase { "texture_coordinate_noise", [] (ImportedGeometry& g) { g.uvs[1][1] = 1.0f - (1.0f - g.uvs[1][1] + 3e-8f); }, true },
    ShapeCase { "sliver_normal_off_by_degrees", [] (ImportedGeometry& g) { turnNormal (g.normals[26], 2.25); }, true },
    ShapeCase { "repeated_corners_turned_and_reversed", [] (ImportedGeometry& g)
        {
            std::rotate (g.indices.end() - 3, g.indices.end() - 2, g.indices.end());
            std::reverse (g.indices.begin(), g.indices.end());
            for (size_t corner = 0; corner < g.indices.size(); corner += 3)
                std::swap (g.indices[corner], g.indices[corner + 2]); // each triangle as it was, the list backwards
        }, true },
    ShapeCase { "normal_off_by_0_2_degree", [] (ImportedGeometry& g) { turnNormal (g.normals[0], 0.2); }, false },
    ShapeCase { "normal_reversed", [] (ImportedGeometry& g) { for (auto& x : g.normals[5]) x = -x; }, false },
    ShapeCase { "vertex_moved_one_float_step", [] (ImportedGeometry& g) { g.positions[2][1] = std::nextafter (g.positions[2][1], 10.0f); }, false },
    ShapeCase { "triangle_flipped", [] (ImportedGeometry& g) { std::swap (g.indices[1], g.indices[2]); }, false },
    ShapeCase { "texture_coordinate_changed", [] (ImportedGeometry& g) { g.uvs[4][0] += 1e-4f; }, false },
    ShapeCase { "triangle_dropped", [] (ImportedGeometry& g) { g.indices.resize (g.indices.size() - 3); }, false },
    ShapeCase { "triangle_doubled", [] (ImportedGeometry& g) { g.indices.insert (g.indices.end(), { 0, 1, 2 }); }, false },
    ShapeCase { "a_triangle_swapped_for_another", [] (ImportedGeometry& g) { g.indices[0] = 7; }, false },
    ShapeCase { "normals_left_out", [] (ImportedGeometry& g) { g.normals.clear(); }, false },
    ShapeCase { "position_not_a_number", [] (ImportedGeometry& g) { g.positions[0][0] = std::nanf (""); }, false }),
    CaseName());

TEST (ShapeMatchPlaced, TheOriginalIsMovedAsAnObjExportPlacesIt)
{
    MshObject original;
    addBox (original, 0.1f, 0.3f, 0.7f);
    auto shown = asSaved (original);
    for (auto& p : shown.positions)
        for (size_t i = 0; i < 3; ++i)
            p[i] = (float) (1000.1 + p[i]);
    EXPECT_TRUE (showsSameShape (original, shown, { 1000.1, 1000.1, 1000.1 }));
    EXPECT_FALSE (showsSameShape (original, shown));
}
