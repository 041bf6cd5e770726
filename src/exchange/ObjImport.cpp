// Tolmar MSH Viewer - Wavefront OBJ read into the mesh model: each o or g an object under one root.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ExportParts.h"
#include "ImportGeometry.h"
#include "ObjectMerge.h"
#include "msh/SafeFiles.h"

#include <charconv>
#include <cmath>
#include <map>
#include <unordered_map>

namespace
{
    // The numbers of a line after its keyword, as floats; false for text that is no number.
    bool numbers (std::string_view text, float* out, size_t wanted, size_t atLeast)
    {
        size_t got = 0;

        for (size_t i = 0; i < text.size() && got < wanted;)
        {
            while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
                ++i;

            if (i == text.size())
                break;

            const auto result = std::from_chars (text.data() + i, text.data() + text.size(), out[got]);

            if (result.ec != std::errc())
                return false;

            i = (size_t) (result.ptr - text.data());
            ++got;
        }

        return got >= atLeast;
    }

    // One object of the file being filled: its corners, as (position, texture coordinate, normal)
    // numbers from 1, made into vertices one each.
    struct Building
    {
        juce::String name;
        ImportedGeometry geometry;
        std::map<std::array<juce::int64, 3>, juce::uint32> vertexOf;
        bool anyNormal = false, everyNormal = true;
    };
}

ImportOutcome importObj (const juce::File& source, MshMesh& mesh, MshMesh* base)
{
    ImportOutcome outcome;
    juce::String reason;
    auto stream = openInputFile (source, reason);

    if (stream == nullptr)
        return outcome.error = reason, outcome;

    std::vector<std::array<float, 3>> positions, normals;
    std::vector<std::array<float, 2>> uvs;
    std::vector<Building> objects (1);
    objects[0].name = source.getFileNameWithoutExtension();
    juce::int64 lineNumber = 0;

    const auto fail = [&] (const juce::String& why) { outcome.error = "line " + juce::String (lineNumber) + ": " + why; return outcome; };

    while (! stream->isExhausted())
    {
        const auto text = stream->readNextLine().toStdString();
        std::string_view line (text);
        ++lineNumber;

        const auto space = line.find_first_of (" \t");
        const auto keyword = line.substr (0, space);
        const auto rest = space == std::string_view::npos ? std::string_view() : line.substr (space + 1);
        std::array<float, 3> v {};

        if (keyword == "v" || keyword == "vn")
        {
            if (! numbers (rest, v.data(), 3, 3))
                return fail ("a " + juce::String (std::string (keyword)) + " line without three numbers");

            (keyword == "v" ? positions : normals).push_back (v);
        }
        else if (keyword == "vt")
        {
            if (! numbers (rest, v.data(), 2, 1))
                return fail ("a vt line without numbers");

            uvs.push_back ({ v[0], 1.0f - v[1] }); // OBJ's v runs up from the picture's bottom row
        }
        else if (keyword == "o" || keyword == "g")
        {
            if (! objects.back().geometry.indices.empty() || objects.size() == 1)
                objects.emplace_back();

            objects.back().name = juce::String::fromUTF8 (rest.data(), (int) rest.size()).trim();
        }
        else if (keyword == "f")
        {
            auto& o = objects.back();
            std::vector<juce::uint32> corners;

            for (const auto& token : juce::StringArray::fromTokens (juce::String (std::string (rest)), " \t", ""))
            {
                // v, v/vt, v//vn or v/vt/vn; negative numbers count back from the last one.
                const auto parts = juce::StringArray::fromTokens (token, "/", "");
                std::array<juce::int64, 3> refs { 0, 0, 0 };
                const std::array<juce::int64, 3> counts { (juce::int64) positions.size(), (juce::int64) uvs.size(), (juce::int64) normals.size() };

                for (int k = 0; k < std::min (3, parts.size()); ++k)
                {
                    if (parts[k].isEmpty())
                        continue;

                    const auto n = parts[k].getLargeIntValue();
                    refs[(size_t) k] = n < 0 ? counts[(size_t) k] + n + 1 : n;

                    if (refs[(size_t) k] < 1 || refs[(size_t) k] > counts[(size_t) k])
                        return fail ("a face refers to " + parts[k] + ", past the numbers given so far");
                }

                if (refs[0] == 0)
                    return fail ("a face corner without a position");

                o.anyNormal = o.anyNormal || refs[2] != 0;
                o.everyNormal = o.everyNormal && refs[2] != 0;
                auto [at, added] = o.vertexOf.emplace (refs, (juce::uint32) o.geometry.positions.size());

                if (added)
                {
                    o.geometry.positions.push_back (positions[(size_t) refs[0] - 1]);
                    o.geometry.uvs.push_back (refs[1] != 0 ? uvs[(size_t) refs[1] - 1] : std::array<float, 2> { 0, 0 });
                    o.geometry.normals.push_back (refs[2] != 0 ? normals[(size_t) refs[2] - 1] : std::array<float, 3> { 0, 0, 0 });
                }

                corners.push_back (at->second);
            }

            // A polygon of more corners is a fan of triangles.
            for (size_t c = 2; c < corners.size(); ++c)
                o.geometry.indices.insert (o.geometry.indices.end(), { corners[0], corners[c - 1], corners[c] });
        }
    }

    ObjectMerge merge (mesh, base, outcome);
    const auto imported = [] (Building& o)
    {
        ImportedObject object;
        object.name = o.name;
        object.what = "object \"" + o.name + "\"";

        if (! o.everyNormal)
            o.geometry.normals.clear();

        object.geometry = std::move (o.geometry);
        return object;
    };

    for (auto& o : objects)
        if (o.anyNormal && ! o.everyNormal && ! o.geometry.indices.empty())
            outcome.warnings.add ("object \"" + o.name + "\": normals made from the faces, as some corners have none");

    if (base == nullptr)
    {
        // One root, named after the file, holding each object of the file in order.
        ImportedObject top;
        top.name = source.getFileNameWithoutExtension();
        top.what = "the file";
        top.geometry.emplace();
        auto* root = merge.add (top, nullptr, nullptr);

        for (auto& o : objects)
            if (root != nullptr && ! o.geometry.indices.empty())
                if (auto object = imported (o); merge.add (object, root, nullptr) == nullptr)
                    return outcome;

        if (root == nullptr)
            return outcome;

        merge.finish();
        placeCameraToSeeAll (mesh);
        return outcome;
    }

    // OBJ has no hierarchy, only the objects the export showed triangles of: each stands for the base
    // object of its name among those, which stays where it was; the base's other objects stay as they
    // are, those the file left out go, and the file's new objects go under the root.
    std::unordered_map<const MshObject*, Building*> standsFor;
    std::vector<Building*> fresh;
    const auto exported = [] (const MshObject& o) { return ! exportPart (o).indices.empty(); };

    for (auto& o : objects)
        if (! o.geometry.indices.empty())
        {
            if (auto* original = merge.findAnywhereInBase (o.name, exported))
                standsFor[original] = &o;
            else
                fresh.push_back (&o);
        }

    struct Pending { MshObject* original; MshObject* parent; std::array<double, 3> placed; };
    std::vector<Pending> pending;
    MshObject* root = nullptr;
    const auto pushChain = [&pending] (MshObject* first, MshObject* parent, std::array<double, 3> placed)
    {
        const auto start = pending.size();
        for (auto* o = first; o != nullptr; o = o->nextSibling.get())
            pending.push_back ({ o, parent, placed });
        std::reverse (pending.begin() + (std::ptrdiff_t) start, pending.end());
    };

    for (pushChain (&base->root, nullptr, { 0, 0, 0 }); ! pending.empty();)
    {
        const auto item = pending.back();
        pending.pop_back();
        auto& original = *item.original;
        std::array<double, 3> placed = item.placed;

        for (size_t i = 0; i < 3; ++i) // as the export placed it: a translation that is not a number moves nothing
            placed[i] += std::isfinite (original.matrix[12 + i]) ? (double) original.matrix[12 + i] : 0.0;

        const auto standing = standsFor.find (&original);
        MshObject* object = item.parent;

        if (standing != standsFor.end() || ! exported (original))
        {
            auto node = standing != standsFor.end() ? imported (*standing->second) : ImportedObject();

            if (standing == standsFor.end())
                node.name = original.name;

            if (object = merge.add (node, item.parent, &original, placed); object == nullptr)
                return outcome;

            root = root == nullptr ? object : root;
        }

        pushChain (original.firstChild.get(), object, placed);
    }

    for (auto* o : fresh)
        if (auto object = imported (*o); merge.add (object, root, nullptr) == nullptr)
            return outcome;

    merge.finish();
    return outcome;
}
