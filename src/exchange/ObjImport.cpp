// Tolmar MSH Viewer - Wavefront OBJ read into the mesh model: each o or g an object under one root.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ImportGeometry.h"
#include "msh/SafeFiles.h"

#include <charconv>
#include <map>

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

ImportOutcome importObj (const juce::File& source, MshMesh& mesh)
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

    // One root, named after the file, holding each object of the file in order.
    if (! nameObject (mesh.root, source.getFileNameWithoutExtension(), outcome))
        return outcome;

    mesh.root.matrix = translationMatrix (0, 0, 0);
    auto* link = &mesh.root.firstChild;

    for (auto& o : objects)
    {
        if (o.geometry.indices.empty())
            continue;

        if (o.anyNormal && ! o.everyNormal)
            outcome.warnings.add ("object \"" + o.name + "\": normals made from the faces, as some corners have none");

        if (! o.everyNormal)
            o.geometry.normals.clear();

        *link = std::make_unique<MshObject>();
        auto& object = **link;
        object.matrix = translationMatrix (0, 0, 0);

        if (! nameObject (object, o.name, outcome))
            return outcome;

        if (putGeometry (object, o.geometry) > 1)
            outcome.warnings.add ("object \"" + o.name + "\": more than 65535 vertices, split into child objects");

        link = &object.nextSibling;
        while (*link != nullptr)
            link = &(*link)->nextSibling;
    }

    placeCameraToSeeAll (mesh);
    return outcome;
}
