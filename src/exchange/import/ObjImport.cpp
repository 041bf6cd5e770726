// Tolmar MSH Viewer - Wavefront OBJ read into the mesh model: each o or g an object under one root.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/ExportParts.h"
#include "ImportGeometry.h"
#include "ObjectMerge.h"
#include "PolygonTriangles.h"
#include "msh/MshGeometry.h"
#include "msh/SafeFiles.h"

#include <charconv>
#include <cmath>
#include <map>
#include <unordered_map>

namespace
{
    // What a line's numbers were, when they were not what the line needs.
    enum class Numbers { read, tooFew, notANumber, outOfRange };

    // The numbers of a line after its keyword, as floats: at least atLeast, at most wanted (more are
    // left alone, as OBJ's optional w).
    Numbers numbers (std::string_view text, float* out, size_t wanted, size_t atLeast, std::string_view& word)
    {
        size_t got = 0;

        for (size_t i = 0; i < text.size() && got < wanted;)
        {
            while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
                ++i;

            if (i == text.size())
                break;

            const auto end = std::min (text.find_first_of (" \t", i), text.size());
            word = text.substr (i, end - i);
            const auto result = std::from_chars (word.data(), word.data() + word.size(), out[got]);

            if (result.ec == std::errc::result_out_of_range)
                return Numbers::outOfRange;

            if (result.ec != std::errc() || result.ptr != word.data() + word.size())
                return Numbers::notANumber;

            i = end;
            ++got;
        }

        return got >= atLeast ? Numbers::read : Numbers::tooFew;
    }

    // One object of the file being filled: its corners, as (position, texture coordinate, normal)
    // numbers from 1, made into vertices one each.
    struct Building
    {
        juce::String name;
        ImportedGeometry geometry;
        std::map<std::array<juce::int64, 3>, juce::uint32> vertexOf;
        bool anyNormal = false, everyNormal = true;
        juce::int64 linesLeftOut = 0, firstLineLeftOut = 0;
    };

    // The same kind of silent change said once, with where it first was and how often.
    struct Noted
    {
        juce::String first;
        juce::int64 more = 0;

        void note (const juce::String& what)
        {
            if (first.isEmpty())
                first = what;
            else
                ++more;
        }

        void tell (ImportReport& report) const
        {
            if (first.isNotEmpty())
                report.warn (first + (more > 0 ? " (and " + juce::String (more) + " more like it)" : juce::String()));
        }
    };

    // Bytes that are not UTF-8 are read as Latin-1, one character each, so no text runs past its end.
    juce::String text (std::string_view t)
    {
        if (juce::CharPointer_UTF8::isValidString (t.data(), (int) t.size()))
            return juce::String::fromUTF8 (t.data(), (int) t.size());

        juce::String latin1;
        for (const auto c : t)
            latin1 += juce::String::charToString ((juce::juce_wchar) (unsigned char) c);
        return latin1;
    }

    // The words of t between any of the separators, empty ones included when keepEmpty.
    std::vector<std::string_view> split (std::string_view t, std::string_view separators, bool keepEmpty)
    {
        std::vector<std::string_view> words;

        for (size_t start = 0; start <= t.size();)
        {
            const auto end = std::min (t.find_first_of (separators, start), t.size());
            if (keepEmpty || end > start)
                words.push_back (t.substr (start, end - start));
            start = end + 1;
        }

        return words;
    }
}

Expected<ImportReport> importObj (const juce::File& source, MshMesh& mesh, MshMesh* base)
{
    const auto stream = openInputFile (source);
    juce::MemoryBlock bytes;

    if (! stream)
        return stream.failure();

    if ((*stream)->readIntoMemoryBlock (bytes) != (size_t) (*stream)->getTotalLength())
        return Failure { Failure::Kind::ioFailed, "cannot read it" };

    ImportReport report;
    std::vector<std::array<float, 3>> positions, normals;
    std::vector<std::array<float, 2>> uvs;
    std::vector<Building> objects (1);
    objects[0].name = source.getFileNameWithoutExtension();
    juce::int64 lineNumber = 0;
    Noted notFinite, zeroInName;

    const auto fail = [&] (const juce::String& why) { return Failure { Failure::Kind::malformed, "line " + juce::String (lineNumber) + ": " + why }; };
    std::string_view file (static_cast<const char*> (bytes.getData()), bytes.getSize());

    if (file.substr (0, 3) == "\xef\xbb\xbf") // a byte order mark says UTF-8, and nothing more
        file.remove_prefix (3);

    for (size_t start = 0; start < file.size();)
    {
        const auto end = std::min (file.find ('\n', start), file.size());
        auto line = file.substr (start, end - start);
        start = end + 1;
        ++lineNumber;

        if (! line.empty() && line.back() == '\r')
            line.remove_suffix (1);

        const auto space = line.find_first_of (" \t");
        const auto keyword = line.substr (0, space);
        const auto rest = space == std::string_view::npos ? std::string_view() : line.substr (space + 1);
        std::array<float, 3> v {};
        std::string_view word;

        if (keyword == "v" || keyword == "vn" || keyword == "vt")
        {
            const auto wanted = keyword == "vt" ? 2u : 3u;
            const auto read = numbers (rest, v.data(), wanted, keyword == "vt" ? 1 : 3, word);

            if (read == Numbers::tooFew)
                return fail ("a " + text (keyword) + " line without " + (keyword == "vt" ? "numbers" : "three numbers"));

            if (read != Numbers::read)
                return fail ("\"" + text (word) + "\" " + (read == Numbers::outOfRange ? "is beyond what a float can hold" : "is not a number"));

            if (! std::isfinite (v[0]) || ! std::isfinite (v[1]) || ! std::isfinite (v[2]))
                notFinite.note ("line " + juce::String (lineNumber) + ": \"" + text (line) + "\" is not a finite number: the faces that use it are left out");

            if (keyword == "vt")
                uvs.push_back ({ v[0], 1.0f - v[1] }); // OBJ's v runs up from the picture's bottom row
            else
                (keyword == "v" ? positions : normals).push_back (v);
        }
        else if (keyword == "o" || keyword == "g")
        {
            if (! objects.back().geometry.indices.empty() || objects.size() == 1)
                objects.emplace_back();

            const auto name = rest.substr (0, rest.find ('\0'));

            if (name.size() < rest.size())
                zeroInName.note ("line " + juce::String (lineNumber) + ": a name with a zero byte, cut there: \"" + text (name).trim() + "\"");

            objects.back().name = text (name).trim();
        }
        else if (keyword == "l" || keyword == "p")
        {
            auto& o = objects.back();
            o.firstLineLeftOut = o.linesLeftOut++ == 0 ? lineNumber : o.firstLineLeftOut;
        }
        else if (keyword == "f")
        {
            auto& o = objects.back();
            std::vector<juce::uint32> corners;

            for (const auto token : split (rest, " \t", false))
            {
                // v, v/vt, v//vn or v/vt/vn; negative numbers count back from the last one.
                const auto parts = split (token, "/", true);
                std::array<juce::int64, 3> refs { 0, 0, 0 };
                const std::array<juce::int64, 3> counts { (juce::int64) positions.size(), (juce::int64) uvs.size(), (juce::int64) normals.size() };
                static const char* const kinds[] = { "position", "texture coordinate", "normal" };

                for (size_t k = 0; k < std::min<size_t> (3, parts.size()); ++k)
                {
                    if (parts[k].empty())
                        continue;

                    juce::int64 n = 0;
                    std::from_chars (parts[k].data(), parts[k].data() + parts[k].size(), n);
                    refs[k] = n < 0 ? counts[k] + n + 1 : n;

                    if (refs[k] < 1 || refs[k] > counts[k])
                        return fail (juce::String ("a face refers to ") + kinds[k] + " " + text (parts[k]) + ", but the file gives "
                                     + juce::String (counts[k]) + " " + kinds[k] + "s before it");
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

            if (corners.size() < 3)
            {
                o.firstLineLeftOut = o.linesLeftOut++ == 0 ? lineNumber : o.firstLineLeftOut;
                continue;
            }

            // A polygon of more corners is cut into triangles in its own plane.
            std::vector<std::array<float, 3>> polygon;
            for (const auto c : corners)
                polygon.push_back (o.geometry.positions[c]);

            for (const auto c : polygonTriangles (polygon))
                o.geometry.indices.push_back (corners[c]);
        }
    }

    notFinite.tell (report);
    zeroInName.tell (report);

    for (auto& o : objects)
    {
        if (o.linesLeftOut > 0)
            report.warn ("object \"" + o.name + "\": " + juce::String (o.linesLeftOut) + " lines, points or faces of fewer than three corners left out, the first at line "
                                  + juce::String (o.firstLineLeftOut));

        if (const auto left = leaveOutNonFinite (o.geometry); left > 0)
            report.warn ("object \"" + o.name + "\": " + juce::String ((juce::int64) left) + " triangles with a corner that is not a finite number left out");
    }

    // A file without faces stands for nothing, unless for a base that draws nothing either: then it is
    // the base's own round trip (OBJ has no place for objects without faces), and the base is kept.
    const auto faceless = [] (const Building& o) { return o.geometry.indices.empty(); };
    if (std::all_of (objects.begin(), objects.end(), faceless) && (base == nullptr || mshTotals (base->root, true).trianglesDrawn > 0))
        return Failure { Failure::Kind::malformed, "no faces: nothing to write" };

    ObjectMerge merge (mesh, base, report);
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
            report.warn ("object \"" + o.name + "\": normals made from the faces, as some corners have none");

    if (base == nullptr)
    {
        // One root, named after the file, holding each object of the file in order.
        ImportedObject top;
        top.name = source.getFileNameWithoutExtension();
        top.what = "the file";
        top.geometry.emplace();
        const auto root = merge.add (top, nullptr, nullptr);

        if (! root)
            return root.failure();

        for (auto& o : objects)
        {
            if (o.geometry.indices.empty())
                continue;

            auto object = imported (o);

            if (const auto added = merge.add (object, *root, nullptr); ! added)
                return added.failure();
        }

        merge.finish();
        placeCameraToSeeAll (mesh);
        return report;
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

    // At each depth, what the children of the object last visited there go under, and where it is placed.
    std::vector<MshObject*> under;
    std::vector<std::array<double, 3>> placedAt;
    MshObject* root = nullptr;
    std::optional<Failure> failed;

    mshForEachObject (base->root, true, [&] (MshObject& original, int depth, juce::int64, juce::int64)
    {
        auto* parent = depth == 0 ? nullptr : under[(size_t) depth - 1];
        auto placed = depth == 0 ? std::array<double, 3> { 0, 0, 0 } : placedAt[(size_t) depth - 1];

        for (size_t i = 0; i < 3; ++i) // as the export placed it: a translation that is not a number moves nothing
            placed[i] += std::isfinite (original.matrix[12 + i]) ? (double) original.matrix[12 + i] : 0.0;

        const auto standing = standsFor.find (&original);
        MshObject* object = parent; // one the file left out: its children go under its parent

        if (! failed && (standing != standsFor.end() || ! exported (original)))
        {
            auto node = standing != standsFor.end() ? imported (*standing->second) : ImportedObject();

            if (standing == standsFor.end())
                node.name = original.name;

            const auto added = merge.add (node, parent, &original, placed);

            if (! added)
                failed = added.failure();

            object = added ? *added : nullptr;
            root = root == nullptr ? object : root;
        }

        under.resize ((size_t) depth + 1);
        placedAt.resize ((size_t) depth + 1);
        under[(size_t) depth] = object;
        placedAt[(size_t) depth] = placed;
    });

    if (failed)
        return *failed;

    for (auto* o : fresh)
    {
        auto object = imported (*o);

        if (const auto added = merge.add (object, root, nullptr); ! added)
            return added.failure();
    }

    merge.finish();
    return report;
}
