// Tolmar MSH Viewer - what an export holds of an object: the parts of glTF and OBJ writing they share.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ExportParts.h"
#include "PngFiles.h"
#include "RainbowTexture.h"
#include "msh/MshGeometry.h"

#include <cmath>

namespace
{
    bool finite (float a, float b, float c = 0) { return std::isfinite (a) && std::isfinite (b) && std::isfinite (c); }
}

ExportPart exportPart (const MshObject& object)
{
    ExportPart part;
    std::vector<juce::uint32> number (object.vertices.size(), ~0u);
    const auto* base = object.vertices.data();

    mshForEachDrawableTriangle (object, [&] (const MshVertex& a, const MshVertex& b, const MshVertex& c)
    {
        for (const auto* v : { &a, &b, &c })
            if (! finite (v->x, v->y, v->z) || ! finite (v->u, v->v))
                return;

        for (const auto* v : { &a, &b, &c })
        {
            auto& n = number[(size_t) (v - base)];

            if (n == ~0u)
            {
                n = (juce::uint32) part.vertices.size();
                part.vertices.push_back (v);
                const auto length = std::sqrt ((double) v->nx * v->nx + (double) v->ny * v->ny + (double) v->nz * v->nz);
                part.normals = part.normals && std::isfinite (length) && length > 1e-20;
            }

            part.indices.push_back (n);
        }
    });

    return part;
}

std::array<float, 3> unitNormal (const MshVertex& v)
{
    const auto length = std::sqrt ((double) v.nx * v.nx + (double) v.ny * v.ny + (double) v.nz * v.nz);
    return { (float) (v.nx / length), (float) (v.ny / length), (float) (v.nz / length) };
}


std::vector<juce::uint8> rainbowPng()
{
    std::array<juce::uint8, 16> rgba {};

    for (size_t i = 0; i < 16; i += 4)
    {
        rgba[i] = rainbowTexels[i + 2];
        rgba[i + 1] = rainbowTexels[i + 1];
        rgba[i + 2] = rainbowTexels[i];
        rgba[i + 3] = rainbowTexels[i + 3];
    }

    return encodePng (rgba.data(), 2, 2, 4);
}
