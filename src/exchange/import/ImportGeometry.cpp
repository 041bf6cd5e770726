// Tolmar MSH Viewer - geometry as other programs hold it, made into objects of the model.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ImportGeometry.h"
#include "msh/MshGeometry.h"
#include "msh/MshText.h"
#include "msh/MshWriter.h"

#include <cmath>

namespace
{
    constexpr size_t mostVertices = 65535;

    // A vertex normal as the sum of the normals of the triangles around it, each as long as twice the
    // triangle's area, so bigger triangles count for more.
    std::vector<std::array<float, 3>> normalsFromTriangles (const ImportedGeometry& g)
    {
        std::vector<std::array<double, 3>> sums (g.positions.size(), { 0, 0, 0 });

        for (size_t t = 0; t + 2 < g.indices.size(); t += 3)
        {
            const auto& a = g.positions[g.indices[t]], &b = g.positions[g.indices[t + 1]], &c = g.positions[g.indices[t + 2]];
            const double ab[3] = { b[0] - a[0], b[1] - a[1], b[2] - a[2] }, ac[3] = { c[0] - a[0], c[1] - a[1], c[2] - a[2] };
            const double n[3] = { ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2], ab[0] * ac[1] - ab[1] * ac[0] };

            for (size_t k = 0; k < 3; ++k)
                for (size_t i = 0; i < 3; ++i)
                    sums[g.indices[t + k]][i] += n[i];
        }

        std::vector<std::array<float, 3>> normals (sums.size(), { 0, 0, 0 });

        for (size_t v = 0; v < sums.size(); ++v)
            if (const auto length = std::hypot (sums[v][0], sums[v][1], sums[v][2]); length > 0 && std::isfinite (length))
                normals[v] = { (float) (sums[v][0] / length), (float) (sums[v][1] / length), (float) (sums[v][2] / length) };

        return normals;
    }
}

size_t putGeometry (MshObject& object, const ImportedGeometry& g)
{
    const auto computed = g.normals.empty() ? normalsFromTriangles (g) : std::vector<std::array<float, 3>>();
    const auto& normals = g.normals.empty() ? computed : g.normals;

    const auto vertex = [&] (size_t i)
    {
        const auto uv = g.uvs.empty() ? std::array<float, 2> { 0, 0 } : g.uvs[i];
        return MshVertex { g.positions[i][0], g.positions[i][1], g.positions[i][2], normals[i][0], normals[i][1], normals[i][2], uv[0], uv[1] };
    };

    // Where 16-bit indices reach them all, the vertices stay as they are, in order, used or not.
    if (g.positions.size() <= mostVertices)
    {
        object.vertices.reserve (g.positions.size());
        for (size_t i = 0; i < g.positions.size(); ++i)
            object.vertices.push_back (vertex (i));
        object.indices.assign (g.indices.begin(), g.indices.end() - (std::ptrdiff_t) (g.indices.size() % 3));
        return 1;
    }

    // Else parts of at most 65,535 vertices, triangle by triangle, each vertex numbered anew in the part it
    // first comes in.
    std::vector<juce::uint32> number (g.positions.size(), 0), partOf (g.positions.size(), 0);
    MshObject* part = &object;
    juce::uint32 parts = 1;
    auto* lastChild = &object.firstChild;

    while (*lastChild != nullptr)
        lastChild = &(*lastChild)->nextSibling;

    const auto reserve = [&g] (MshObject& o)
    {
        o.vertices.reserve (std::min (g.positions.size(), mostVertices));
        o.indices.reserve (std::min (g.indices.size(), 3 * mostVertices));
    };
    reserve (object);

    for (size_t t = 0; t + 2 < g.indices.size(); t += 3)
    {
        size_t fresh = 0;

        for (size_t k = 0; k < 3; ++k)
            fresh += partOf[g.indices[t + k]] != parts ? 1u : 0u;

        if (part->vertices.size() + fresh > mostVertices)
        {
            *lastChild = std::make_unique<MshObject>();
            part = lastChild->get();
            lastChild = &part->nextSibling;
            part->name = object.name + " " + juce::String (++parts);
            part->flags = object.flags;
            part->isHp = object.isHp;
            part->matrix = translationMatrix (0, 0, 0); // placed with the object it belongs to
            reserve (*part);
        }

        for (size_t k = 0; k < 3; ++k)
        {
            const auto i = g.indices[t + k];

            if (partOf[i] != parts)
            {
                partOf[i] = parts;
                number[i] = (juce::uint32) part->vertices.size();
                part->vertices.push_back (vertex (i));
            }

            part->indices.push_back ((juce::uint16) number[i]);
        }
    }

    return parts;
}

size_t leaveOutNonFinite (ImportedGeometry& g)
{
    const auto finite = [] (const auto& values) { return std::all_of (values.begin(), values.end(), [] (float x) { return std::isfinite (x); }); };
    std::vector<juce::uint32> kept;
    bool normals = true;

    for (size_t t = 0; t + 2 < g.indices.size(); t += 3)
    {
        const juce::uint32 corners[] = { g.indices[t], g.indices[t + 1], g.indices[t + 2] };

        if (std::all_of (std::begin (corners), std::end (corners), [&] (juce::uint32 c) { return finite (g.positions[c]) && (g.uvs.empty() || finite (g.uvs[c])); }))
        {
            kept.insert (kept.end(), std::begin (corners), std::end (corners));
            normals = normals && (g.normals.empty() || std::all_of (std::begin (corners), std::end (corners), [&] (juce::uint32 c) { return finite (g.normals[c]); }));
        }
    }

    const auto leftOut = (g.indices.size() - kept.size()) / 3;
    g.indices.swap (kept);

    if (! normals)
        g.normals.clear();

    return leftOut;
}

Expected<void> nameFits (const juce::String& name)
{
    if (name.length() > 32767)
        return Failure { Failure::Kind::tooBig, "the name \"" + name.substring (0, 40) + "...\" is longer than the 32767 bytes a .msh name can hold" };

    return {};
}

Expected<void> nameObject (MshObject& object, const juce::String& name, ImportReport& report)
{
    if (auto fits = nameFits (name); ! fits)
        return fits;

    const auto bytes = mshLatin1FromString (name);

    if (mshStringFromLatin1 (reinterpret_cast<const juce::uint8*> (bytes.data()), bytes.size()) != name)
        report.warn ("the name \"" + name + "\" has characters a .msh name cannot hold: written with ? for them");

    object.name = mshStringFromLatin1 (reinterpret_cast<const juce::uint8*> (bytes.data()), bytes.size());
    object.isHp = mshNameIsHp (object.name);
    return {};
}

void placeCameraToSeeAll (MshMesh& mesh)
{
    const auto bounds = mshTotals (mesh.root, true).bounds;

    if (bounds.empty)
        return;

    // The view looks down -z from its distance, the scene moved down by half word 18: the box's centre
    // in the middle, its sphere in the 45 degree field of view, and the wheel's nearest limit well inside.
    const auto centre = bounds.centre();
    const auto radius = std::max (bounds.radius(), 1e-3);
    const auto distance = centre[2] + radius / std::sin (22.5 * 3.14159265358979323846 / 180.0);
    juce::uint32 bits[3];
    const float words[3] = { (float) (radius / 20), (float) (2 * centre[1]), (float) (distance / 3) };
    std::memcpy (bits, words, sizeof (bits));

    for (const auto& [word, value] : { std::pair (0, bits[0]), std::pair (18, bits[1]), std::pair (19, bits[2]) })
        mshPutLittleEndian32 (mesh.headerBlock.data() + 4 * word, value);
}

std::array<float, 16> translationMatrix (float x, float y, float z)
{
    return { 1, 0, 0, 0,  0, 1, 0, 0,  0, 0, 1, 0,  x, y, z, 1 };
}
