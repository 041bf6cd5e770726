// Tolmar MSH Viewer - what a reduced frame draws while the view is turned: the scene simplified.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ReducedScene.h"

#include <cmath>
#include <map>
#include <unordered_map>

namespace
{
    constexpr size_t boxTriangles = 12;

    // Triangles: placed corners and their indices, as the simplifier takes them.
    struct Soup
    {
        std::vector<ReducedScene::Vertex> vertices;
        std::vector<juce::uint32> indices;

        void add (const DrawItem& item)
        {
            const auto first = (juce::uint32) vertices.size();
            juce::uint32 used = 0;

            for (size_t i = 0; i < 3 * item.triangles; ++i)
            {
                indices.push_back (first + item.indices[i]);
                used = std::max<juce::uint32> (used, item.indices[i] + 1u);
            }

            for (juce::uint32 i = 0; i < used; ++i)
            {
                const auto& v = item.vertices[i];
                vertices.push_back ({ (float) (item.placement[0] + v.x), (float) (item.placement[1] + v.y), (float) (item.placement[2] + v.z), v.u, v.v });
            }
        }
    };

    // The box of the soup's corners that the indices name, as 8 vertices and 12 triangles.
    void appendBox (ReducedScene& scene, const Soup& soup)
    {
        std::array<float, 3> low { INFINITY, INFINITY, INFINITY }, high { -INFINITY, -INFINITY, -INFINITY };

        for (const auto index : soup.indices)
        {
            const auto& v = soup.vertices[index];
            const float corner[] = { v.x, v.y, v.z };

            for (size_t k = 0; k < 3; ++k)
            {
                if (std::isfinite (corner[k]))
                {
                    low[k] = std::min (low[k], corner[k]);
                    high[k] = std::max (high[k], corner[k]);
                }
            }
        }

        if (! (low[0] <= high[0] && low[1] <= high[1] && low[2] <= high[2]))
            return;

        const auto first = (juce::uint32) scene.vertices.size();

        for (juce::uint32 c = 0; c < 8; ++c)
            scene.vertices.push_back ({ (c & 1) != 0 ? high[0] : low[0], (c & 2) != 0 ? high[1] : low[1], (c & 4) != 0 ? high[2] : low[2],
                                        (float) (c & 1), (float) ((c >> 1) & 1) });

        // Two triangles a face: -x, +x, -y, +y, -z, +z.
        static const juce::uint32 faces[] = { 0, 2, 6, 0, 6, 4,  1, 5, 7, 1, 7, 3,  0, 4, 5, 0, 5, 1,
                                              2, 3, 7, 2, 7, 6,  0, 1, 3, 0, 3, 2,  4, 6, 7, 4, 7, 5 };
        for (const auto corner : faces)
            scene.indices.push_back (first + corner);
    }

    // The soup's corners that kept names, once each.
    void appendKept (ReducedScene& scene, const Soup& soup, const std::vector<juce::uint32>& kept)
    {
        std::unordered_map<juce::uint32, juce::uint32> copied;

        for (const auto index : kept)
        {
            const auto [at, isNew] = copied.emplace (index, (juce::uint32) scene.vertices.size());
            if (isNew)
                scene.vertices.push_back (soup.vertices[index]);
            scene.indices.push_back (at->second);
        }
    }

    // The soup within about target triangles: simplified, or its box when the simplifier cannot get
    // near enough (or the target is under a box's).
    void appendReduced (ReducedScene& scene, const Soup& soup, size_t target)
    {
        if (soup.indices.size() / 3 <= target)
            return appendKept (scene, soup, soup.indices);

        const auto kept = target >= boxTriangles ? simplifiedTriangles (soup.vertices, soup.indices, target) : std::vector<juce::uint32>();

        if (! kept.empty() && kept.size() / 3 <= target + target / 2)
            appendKept (scene, soup, kept);
        else
            appendBox (scene, soup);
    }

    // Where an item's first corner lies, placed: enough to sort small objects into the cells of a grid.
    std::array<double, 3> whereItIs (const DrawItem& item)
    {
        const auto& v = item.vertices[item.indices[0]];
        return { item.placement[0] + v.x, item.placement[1] + v.y, item.placement[2] + v.z };
    }
}

ReducedScene makeBoxScene (const DrawList& list)
{
    ReducedScene scene;
    scene.source = &list;

    for (const auto& item : list.items)
    {
        const auto first = scene.indices.size();
        Soup soup;
        soup.add (item);
        appendBox (scene, soup);
        scene.parts.push_back ({ item.object, first, scene.indices.size() - first });
    }

    return scene;
}

std::shared_ptr<ReducedScene> makeReducedScene (const DrawList& list, size_t budget, const std::atomic<bool>& cancelled)
{
    auto scene = std::make_shared<ReducedScene>();
    scene->source = &list;
    const auto share = list.triangles > 0 ? std::min (1.0, (double) budget / (double) list.triangles) : 1.0;
    std::vector<const DrawItem*> small;

    // Each object that keeps a shape of its own, reduced on its own.
    for (const auto& item : list.items)
    {
        if (cancelled.load())
            return nullptr;

        if (item.triangles == 0)
            continue;

        if ((double) item.triangles * share < (double) boxTriangles)
        {
            small.push_back (&item);
            continue;
        }

        const auto first = scene->indices.size();
        Soup soup;
        soup.add (item);
        appendReduced (*scene, soup, (size_t) ((double) item.triangles * share));
        scene->parts.push_back ({ item.object, first, scene->indices.size() - first });
    }

    if (small.empty())
        return scene;

    // Objects too small for that (30,000 balls of 300 triangles in a 9,000,000-triangle file) are
    // reduced together with their neighbours, in cells of a grid of about two boxes' worth of triangles.
    std::array<double, 3> low { HUGE_VAL, HUGE_VAL, HUGE_VAL }, high { -HUGE_VAL, -HUGE_VAL, -HUGE_VAL };
    double smallShare = 0;

    for (const auto* item : small)
    {
        const auto at = whereItIs (*item);
        for (size_t k = 0; k < 3; ++k)
        {
            if (std::isfinite (at[k]))
            {
                low[k] = std::min (low[k], at[k]);
                high[k] = std::max (high[k], at[k]);
            }
        }
        smallShare += (double) item->triangles * share;
    }

    const auto perAxis = std::max (1.0, std::ceil (std::cbrt (smallShare / (2.0 * boxTriangles))));
    std::map<std::array<int, 3>, Soup> cells;

    for (const auto* item : small)
    {
        const auto at = whereItIs (*item);
        std::array<int, 3> cell {};
        for (size_t k = 0; k < 3; ++k)
            cell[k] = std::isfinite (at[k]) && high[k] > low[k] ? (int) std::min (perAxis - 1, std::floor ((at[k] - low[k]) / (high[k] - low[k]) * perAxis)) : 0;
        cells[cell].add (*item);
    }

    const auto first = scene->indices.size();

    for (const auto& [cell, soup] : cells)
    {
        if (cancelled.load())
            return nullptr;

        appendReduced (*scene, soup, std::max (boxTriangles, (size_t) std::lround ((double) soup.indices.size() / 3 * share)));
    }

    scene->parts.push_back ({ nullptr, first, scene->indices.size() - first }); // no object of its own to highlight
    return scene;
}
