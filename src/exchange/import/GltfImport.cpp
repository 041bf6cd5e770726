// Tolmar MSH Viewer - glTF 2.0 read into the mesh model, through tinygltf.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/ExportParts.h"
#include "exchange/Base64.h"
#include "GltfAccessors.h"
#include "GltfReading.h"
#include "ImportGeometry.h"
#include "ObjectMerge.h"
#include "msh/MshReader.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <unordered_map>

namespace
{
    using Linear = std::array<double, 9>; // row by row
    constexpr Linear identity { 1, 0, 0,  0, 1, 0,  0, 0, 1 };

    Linear times (const Linear& a, const Linear& b)
    {
        Linear c {};

        for (size_t r = 0; r < 3; ++r)
            for (size_t k = 0; k < 3; ++k)
                c[3 * r + k] = a[3 * r] * b[k] + a[3 * r + 1] * b[3 + k] + a[3 * r + 2] * b[6 + k];

        return c;
    }

    std::array<double, 3> apply (const Linear& m, double x, double y, double z)
    {
        return { m[0] * x + m[1] * y + m[2] * z, m[3] * x + m[4] * y + m[5] * z, m[6] * x + m[7] * y + m[8] * z };
    }

    // A node's own transform: its translation, and the rest (rotation and scale, or its matrix's).
    std::pair<std::array<double, 3>, Linear> localTransform (const tinygltf::Node& node)
    {
        if (node.matrix.size() == 16) // column by column
        {
            const auto& m = node.matrix;
            return { { m[12], m[13], m[14] }, { m[0], m[4], m[8],  m[1], m[5], m[9],  m[2], m[6], m[10] } };
        }

        const std::array<double, 3> t { node.translation.size() == 3 ? node.translation[0] : 0.0, node.translation.size() == 3 ? node.translation[1] : 0.0,
                                        node.translation.size() == 3 ? node.translation[2] : 0.0 };
        auto linear = identity;

        if (node.rotation.size() == 4)
        {
            const auto x = node.rotation[0], y = node.rotation[1], z = node.rotation[2], w = node.rotation[3];
            linear = { 1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w),
                       2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w),
                       2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y) };
        }

        if (node.scale.size() == 3)
            linear = times (linear, { node.scale[0], 0, 0,  0, node.scale[1], 0,  0, 0, node.scale[2] });

        return { t, linear };
    }

    // Positions and normals turned and scaled as the node shows them; a mirroring turns triangles round
    // so their front stays in front.
    void bake (ImportedGeometry& g, const Linear& m)
    {
        for (auto& p : g.positions)
        {
            const auto q = apply (m, p[0], p[1], p[2]);
            p = { (float) q[0], (float) q[1], (float) q[2] };
        }

        // Normals go with the inverse transpose, which is the cofactor matrix up to a factor.
        const Linear cofactor { m[4] * m[8] - m[5] * m[7], m[5] * m[6] - m[3] * m[8], m[3] * m[7] - m[4] * m[6],
                                m[2] * m[7] - m[1] * m[8], m[0] * m[8] - m[2] * m[6], m[1] * m[6] - m[0] * m[7],
                                m[1] * m[5] - m[2] * m[4], m[2] * m[3] - m[0] * m[5], m[0] * m[4] - m[1] * m[3] };

        for (auto& n : g.normals)
        {
            const auto q = apply (cofactor, n[0], n[1], n[2]);
            const auto length = std::hypot (q[0], q[1], q[2]);
            n = length > 0 ? std::array<float, 3> { (float) (q[0] / length), (float) (q[1] / length), (float) (q[2] / length) } : n;
        }

        if (m[0] * cofactor[0] + m[1] * cofactor[1] + m[2] * cofactor[2] < 0)
        {
            // The cofactors are the inverse transpose times the determinant, whose sign turned them inside out.
            for (auto& n : g.normals)
                n = { -n[0], -n[1], -n[2] };

            for (size_t t = 0; t + 2 < g.indices.size(); t += 3)
                std::swap (g.indices[t + 1], g.indices[t + 2]);
        }
    }

    // A number for a message, a whole one with every digit.
    juce::String numberText (double n)
    {
        return n == std::floor (n) && std::abs (n) < 9.2e18 ? juce::String ((juce::int64) n) : juce::String (n);
    }

    // Whole numbers someone may have edited in extras, within what their field holds.
    std::optional<double> wholeNumber (double number, double low, double high)
    {
        return std::isfinite (number) && number == std::floor (number) && number >= low && number <= high ? std::optional<double> (number) : std::nullopt;
    }

    // What each node of the .msh's own always has in extras.
    constexpr const char* nodeKeys[] = { "flags", "valueA", "valueB", GltfExtras::matrix, GltfExtras::objectLists };

    Failure malformed (const juce::String& why)   { return { Failure::Kind::malformed, why }; }

    struct Importer
    {
        const tinygltf::Model& model;
        std::vector<std::optional<std::vector<juce::uint8>>>& kept;
        ImportReport& report;
        ObjectMerge& merge;
        const bool hasBase;
        std::vector<MshWarning> lacking;   // what nodes lack of the .msh's extras, a line each
        int nodesWithData = 0;

        // Bytes kept in extras, read by the .msh reader.
        Expected<void> readKeptBytes (const void* data, size_t size, const char* key, const juce::String& what, const std::function<void (MshReader&)>& read)
        {
            if (auto done = mshRead (data, size, read); ! done)
                return malformed (what + ": " + key + " in extras cannot be read: " + done.message());

            return {};
        }

        // The bytes an extras entry holds in base64, read by the .msh reader.
        Expected<void> readExtras (const tinygltf::Value& extras, const char* key, const juce::String& what, const std::function<void (MshReader&)>& read)
        {
            if (! extras.IsObject() || ! extras.Has (key))
                return {};

            const auto& text = extras.Get (key);
            const auto bytes = text.IsString() ? base64Decode (text.Get<std::string>().data(), text.Get<std::string>().size()) : std::nullopt;

            if (! bytes.has_value())
                return malformed (what + ": " + key + " in extras is not base64");

            return readKeptBytes (bytes->data(), bytes->size(), key, what, read);
        }

        // The raw geometry the file read took out of the JSON ("#N" stands for it), read and let go.
        Expected<void> readKeptGeometry (const tinygltf::Value& extras, const juce::String& what, const std::function<void (MshReader&)>& read)
        {
            if (! extras.IsObject() || ! extras.Has (GltfExtras::geometry))
                return {};

            const auto& mark = extras.Get (GltfExtras::geometry);
            const auto text = mark.IsString() ? mark.Get<std::string>() : std::string();
            const auto number = text.size() > 1 && text[0] == '#' ? parseNumber (text.substr (1)) : std::nullopt;

            if (! number.has_value() || *number >= kept.size() || ! kept[*number].has_value())
                return malformed (what + ": " + GltfExtras::geometry + " in extras is not base64");

            std::vector<juce::uint8> bytes;
            bytes.swap (*kept[*number]);
            kept[*number].reset();
            return readKeptBytes (bytes.data(), bytes.size(), GltfExtras::geometry, what, read);
        }

        static std::optional<size_t> parseNumber (const std::string& digits)
        {
            size_t number = 0;
            const auto [end, ec] = std::from_chars (digits.data(), digits.data() + digits.size(), number);
            return ec == std::errc() && end == digits.data() + digits.size() ? std::optional<size_t> (number) : std::nullopt;
        }

        // The geometry of a mesh: its primitives one after another, each as triangles.
        Expected<void> geometryOf (int meshIndex, const juce::String& what, ImportedGeometry& g, bool& twoSided)
        {
            if (meshIndex < 0)
                return {};

            if ((size_t) meshIndex >= model.meshes.size())
                return malformed (what + ": mesh " + juce::String (meshIndex) + " does not exist");

            bool everyNormal = true, someNormal = false;

            for (const auto& primitive : model.meshes[(size_t) meshIndex].primitives)
            {
                const auto mode = primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;

                if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP && mode != TINYGLTF_MODE_TRIANGLE_FAN)
                {
                    report.warn (what + ": points or lines left out");
                    continue;
                }

                if (primitive.material >= 0 && (size_t) primitive.material < model.materials.size())
                    twoSided = twoSided || model.materials[(size_t) primitive.material].doubleSided;

                const auto attribute = [&primitive] (const char* name) { const auto a = primitive.attributes.find (name); return a == primitive.attributes.end() ? -1 : a->second; };

                if (attribute ("POSITION") < 0)
                    return malformed (what + ": a primitive without positions");

                const auto none = Expected<std::vector<float>> (std::vector<float>());
                const auto positions = readValues (model, attribute ("POSITION"), 3);
                const auto normals = attribute ("NORMAL") >= 0 ? readValues (model, attribute ("NORMAL"), 3) : none;
                const auto uvs = attribute ("TEXCOORD_0") >= 0 ? readValues (model, attribute ("TEXCOORD_0"), 2) : none;
                auto corners = primitive.indices >= 0 ? readIndices (model, primitive.indices) : Expected<std::vector<juce::uint32>> (std::vector<juce::uint32>());

                for (const auto* read : { &positions, &normals, &uvs })
                    if (! *read)
                        return malformed (what + ": " + read->message());

                if (! corners)
                    return malformed (what + ": " + corners.message());

                const auto count = positions->size() / 3, first = g.positions.size();

                // Every attribute names one value a vertex.
                if ((attribute ("NORMAL") >= 0 && normals->size() != 3 * count) || (attribute ("TEXCOORD_0") >= 0 && uvs->size() != 2 * count))
                    return malformed (what + ": its attributes give different numbers of vertices");

                if (primitive.indices < 0)
                    for (juce::uint32 i = 0; i < count; ++i)
                        corners->push_back (i);

                for (const auto c : *corners)
                    if (c >= count)
                        return malformed (what + ": an index past the " + juce::String ((juce::int64) count) + " vertices");

                // Texture coordinates a primitive has not are 0; normals, unless all have them, are made.
                for (size_t v = 0; v < count; ++v)
                {
                    g.positions.push_back ({ (*positions)[3 * v], (*positions)[3 * v + 1], (*positions)[3 * v + 2] });
                    g.uvs.push_back (uvs->empty() ? std::array<float, 2> { 0, 0 } : std::array<float, 2> { (*uvs)[2 * v], (*uvs)[2 * v + 1] });
                    g.normals.push_back (normals->empty() ? std::array<float, 3> { 0, 0, 0 } : std::array<float, 3> { (*normals)[3 * v], (*normals)[3 * v + 1], (*normals)[3 * v + 2] });
                }

                everyNormal = everyNormal && ! normals->empty();
                someNormal = someNormal || ! normals->empty();

                // glTF's strips turn every other triangle round; fans share their first corner.
                const auto n = corners->size();
                const auto triangle = [&] (size_t a, size_t b, size_t c)
                {
                    g.indices.insert (g.indices.end(), { (juce::uint32) first + (*corners)[a], (juce::uint32) first + (*corners)[b], (juce::uint32) first + (*corners)[c] });
                };

                for (size_t i = 0; mode == TINYGLTF_MODE_TRIANGLES && i + 2 < n; i += 3)
                    triangle (i, i + 1, i + 2);

                for (size_t i = 0; mode == TINYGLTF_MODE_TRIANGLE_STRIP && i + 2 < n; ++i)
                    triangle (i, i + 1 + i % 2, i + 2 - i % 2);

                for (size_t i = 1; mode == TINYGLTF_MODE_TRIANGLE_FAN && i + 1 < n; ++i)
                    triangle (i, i + 1, 0);
            }

            if (! everyNormal)
                g.normals.clear(); // made from the triangles

            if (someNormal && ! everyNormal)
                report.warn (what + ": normals made from the triangles, as some primitives have none");

            return {};
        }

        // What our export kept of the object in the node's extras; numbers that are not what their field
        // holds are left out, and said.
        Expected<void> readKept (const tinygltf::Value& extras, const std::string& extrasText, ImportedObject& node)
        {
            if (! extras.IsObject())
                return {};

            // tinygltf keeps a whole number as an int, which makes 2^40 a 0 and 2^31 a negative number: such
            // a number is read again from the text, parsed once for the node and only when one is there.
            std::optional<nlohmann::json> written;
            const auto asWritten = [&] (const tinygltf::Value& value, const char* key)
            {
                if (value.IsInt() && ! extrasText.empty())
                {
                    if (! written)
                        written = nlohmann::json::parse (extrasText, nullptr, false);

                    if (written->is_object() && written->contains (key) && (*written)[key].is_number())
                        return (*written)[key].get<double>();
                }

                return value.IsBool() ? (value.Get<bool>() ? 1.0 : 0.0) : value.GetNumberAsDouble();
            };

            const auto number = [&] (const char* key, double low, double high) -> std::optional<double>
            {
                if (! extras.Has (key))
                    return {};

                const auto& value = extras.Get (key);
                const auto isNumber = value.IsNumber() || value.IsBool();
                const auto whole = isNumber ? wholeNumber (asWritten (value, key), low, high) : std::nullopt;

                if (! whole.has_value())
                    report.warn (node.what + ": " + key + " " + juce::String (value.IsString() ? "\"" + value.Get<std::string>() + "\"" : isNumber ? numberText (asWritten (value, key)) : juce::String ("of another type"))
                                 + " in extras is not a whole number from " + juce::String ((juce::int64) low) + " to " + juce::String ((juce::int64) high) + ": left out");

                return whole;
            };

            if (const auto flags = number ("flags", 0, 4294967295.0))   node.flags = (juce::uint32) *flags;
            if (const auto a = number ("valueA", -2147483648.0, 2147483647.0)) node.valueA = (juce::int32) *a;
            if (const auto b = number ("valueB", -2147483648.0, 2147483647.0)) node.valueB = (juce::int32) *b;
            if (const auto hp = number ("isHp", 0, 1))                  node.isHp = *hp != 0;
            if (const auto place = number (GltfExtras::place, 0, 9007199254740992.0)) node.place = (juce::int64) *place;

            if (extras.Has (GltfExtras::name) && extras.Get (GltfExtras::name).IsString())
                node.keptName = juce::String::fromUTF8 (extras.Get (GltfExtras::name).Get<std::string>().c_str());

            if (extras.Has (GltfExtras::matrix))
                node.matrix.emplace();

            if (extras.Has (GltfExtras::objectLists))
                node.lists = std::make_unique<MshObject>();

            if (extras.Has (GltfExtras::geometry))
                node.rawGeometry = std::make_unique<MshObject>();

            if (auto read = readExtras (extras, GltfExtras::matrix, node.what, [&node] (MshReader& r) { r.readWords (node.matrix->data(), sizeof (*node.matrix)); }); ! read)
                return read;

            if (auto read = readExtras (extras, GltfExtras::objectLists, node.what, [&node] (MshReader& r)
                {
                    r.readPackedList (node.lists->list4, "list4");
                    r.readPackedList (node.lists->list16, "list16");
                    r.readEntryList (node.lists->quadEntries, "quadEntries", [&r] (MshQuadEntry& e) { r.readQuadEntry (e); });
                }); ! read)
                return read;

            return readKeptGeometry (extras, node.what, [&node] (MshReader& r)
            {
                r.readPackedList (node.rawGeometry->vertices, "vertices");
                r.readPackedList (node.rawGeometry->indices, "indices");
            });
        }

        // Notes what of the .msh's own extras the node lacks.
        void noteLacking (const tinygltf::Value& extras, const juce::String& what)
        {
            juce::StringArray missing;

            for (const auto* key : nodeKeys)
                if (! extras.IsObject() || ! extras.Has (key))
                    missing.add (key);

            nodesWithData += missing.size() < (int) std::size (nodeKeys) ? 1 : 0;

            if (missing.size() == (int) std::size (nodeKeys))
                lacking.push_back ({ MshWarning::Kind::import, 0, 0, {}, what + ": no .msh data in extras (a new object?): flags, matrix and lists set to defaults" });
            else if (! missing.isEmpty())
                lacking.push_back ({ MshWarning::Kind::import, 0, 0, {}, what + ": no " + missing.joinIntoString (", ") + " in extras: set to defaults" });
        }

        // The object of one node, placed under its parent's, with what extras kept of it.
        Expected<MshObject*> makeObject (const tinygltf::Node& node, int index, MshObject* parent, const Linear& parentWorld, Linear& world)
        {
            ImportedObject imported;
            imported.name = juce::String::fromUTF8 (node.name.c_str());
            imported.what = "node " + juce::String (index) + " \"" + imported.name + "\"";

            if (node.name.find ('\0') != std::string::npos)
                report.warn (imported.what + ": its name has a zero byte, and is cut there");

            const auto [t, linear] = localTransform (node);
            world = times (parentWorld, linear);

            // Placed by translation alone: what the parent turns and scales, the child's offset is turned by.
            const auto offset = parentWorld == identity ? t : apply (parentWorld, t[0], t[1], t[2]);
            imported.translation = std::array<float, 3> { (float) offset[0], (float) offset[1], (float) offset[2] };

            // A .msh cannot place an object at infinity: left where the file kept it, as the export does.
            if (! std::all_of (imported.translation->begin(), imported.translation->end(), [] (float c) { return std::isfinite (c); }))
            {
                report.warn (imported.what + ": a translation that is not a finite number as a float, left out");
                imported.translation.reset();
            }

            if (auto fits = nameFits (imported.name); ! fits)
                return fits.failure();

            if (auto read = readKept (node.extras, node.extras_json_string, imported); ! read)
                return read.failure();

            if (! hasBase)
                noteLacking (node.extras, imported.what);

            imported.geometry.emplace();

            if (auto made = geometryOf (node.mesh, imported.what, *imported.geometry, imported.twoSided); ! made)
                return made.failure();

            if (world != identity)
                bake (*imported.geometry, world);

            // Numbers that are not finite, as the export leaves them out.
            const auto hadNormals = ! imported.geometry->normals.empty();

            if (const auto left = leaveOutNonFinite (*imported.geometry); left > 0)
                report.warn (imported.what + ": " + juce::String ((juce::int64) left) + " triangles with a corner whose position or texture coordinate is not a finite number left out");

            if (hadNormals && imported.geometry->normals.empty())
                report.warn (imported.what + ": normals that are not finite numbers: made from the triangles instead");

            // The base object it stands for: one of the same path of names.
            auto* baseParent = parent == nullptr ? nullptr : merge.baseOf (parent);
            const auto& lookedFor = imported.keptName.has_value() && editorMayWrite (*imported.keptName, imported.name) ? *imported.keptName : imported.name;
            auto* original = parent != nullptr && baseParent == nullptr ? nullptr : merge.findInBase (baseParent, lookedFor);

            return merge.add (imported, parent, original);
        }

        // Every node of the scene in file order, depth first, without recursion: any depth reads.
        Expected<void> makeObjects (const std::vector<int>& roots)
        {
            struct Pending { int node; MshObject* parent; Linear parentWorld; };
            std::vector<Pending> pending;
            std::vector<char> seen (model.nodes.size(), 0);

            for (auto r = roots.rbegin(); r != roots.rend(); ++r)
                pending.push_back ({ *r, nullptr, identity });

            while (! pending.empty())
            {
                const auto item = pending.back();
                pending.pop_back();

                if (item.node < 0 || (size_t) item.node >= model.nodes.size() || seen[(size_t) item.node]++ != 0)
                    return malformed ("node " + juce::String (item.node) + " is missing, or stands twice in the hierarchy");

                const auto& node = model.nodes[(size_t) item.node];
                Linear world;
                const auto object = makeObject (node, item.node, item.parent, item.parentWorld, world);

                if (! object)
                    return object.failure();

                for (auto c = node.children.rbegin(); c != node.children.rend(); ++c)
                    pending.push_back ({ *c, *object, world });
            }

            return {};
        }
    };

    // The bytes every accessor a mesh uses would take, against the file's size.
    bool withinBudget (const tinygltf::Model& model, juce::int64 fileBytes)
    {
        juce::uint64 claims = 0;

        for (const auto& mesh : model.meshes)
            for (const auto& primitive : mesh.primitives)
            {
                claims += accessorClaim (model, primitive.indices) * 2; // and the triangles they make
                for (const auto& [name, accessor] : primitive.attributes)
                    claims += accessorClaim (model, accessor) * 2;
            }

        return claims <= (juce::uint64) fileBytes * 4 + (1u << 20);
    }
}

Expected<ImportReport> importGltf (const juce::File& source, MshMesh& mesh, MshMesh* base)
{
    auto file = readGltfFile (source);

    if (! file)
        return file.failure();

    const auto& model = file->model;

    if (! withinBudget (model, source.getSize() + file->otherFilesBytes))
        return Failure { Failure::Kind::tooBig, "its accessors claim more than 4 times the memory of the file" };

    const auto scene = model.defaultScene >= 0 && (size_t) model.defaultScene < model.scenes.size() ? model.defaultScene : 0;
    std::vector<int> roots;

    if ((size_t) scene < model.scenes.size())
        roots = model.scenes[(size_t) scene].nodes;
    else // no scene: the nodes that are nobody's children
    {
        std::vector<char> child (model.nodes.size(), 0);
        for (const auto& node : model.nodes)
            for (const auto c : node.children)
                if (c >= 0 && (size_t) c < child.size())
                    child[(size_t) c] = 1;
        for (size_t n = 0; n < child.size(); ++n)
            if (child[n] == 0)
                roots.push_back ((int) n);
    }

    if (roots.empty())
        return malformed ("no nodes in its scene: nothing to write");

    ImportReport report;
    ObjectMerge merge (mesh, base, report);
    Importer importer { model, file->geometry, report, merge, base != nullptr, {}, 0 };
    const auto sceneExtras = (size_t) scene < model.scenes.size() ? model.scenes[(size_t) scene].extras : tinygltf::Value();
    const auto has = [&sceneExtras] (const char* key) { return sceneExtras.IsObject() && sceneExtras.Has (key); };

    // With a base, the file's own sections are the base's.
    if (base == nullptr)
    {
        for (const auto& [key, read] : std::initializer_list<std::pair<const char*, std::function<void (MshReader&)>>> {
                 { GltfExtras::header, [&mesh] (MshReader& r) { r.readHeader (mesh); } },
                 { GltfExtras::lists, [&mesh] (MshReader& r) { r.readMeshLists (mesh); } },
                 { GltfExtras::trailing, [&mesh] (MshReader& r)
                   {
                       mesh.trailingBytes.resize ((size_t) r.bytesLeft());
                       r.readBytes (mesh.trailingBytes.data(), mesh.trailingBytes.size());
                   } } })
            if (auto done = importer.readExtras (sceneExtras, key, "the scene", read); ! done)
                return done.failure();
    }

    if (auto made = importer.makeObjects (roots); ! made)
        return made.failure();

    merge.finish();

    // Nothing kept and no base: say what became defaults, and how to keep it.
    if (base == nullptr)
    {
        if (importer.nodesWithData == 0 && ! has (GltfExtras::header) && ! has (GltfExtras::lists))
            report.warn ("no .msh data in this file (flags, header, lists set to defaults): export with Include > Custom Properties, or give --base ORIGINAL.msh");
        else
        {
            if (! has (GltfExtras::header) || ! has (GltfExtras::lists))
                report.warn (juce::String ("the scene has no ") + (has (GltfExtras::header) ? "" : "mshHeader") + (has (GltfExtras::header) || has (GltfExtras::lists) ? "" : ", ")
                             + (has (GltfExtras::lists) ? "" : "mshLists") + " in extras: set to defaults");
            report.warnings.insert (report.warnings.end(), importer.lacking.begin(), importer.lacking.end());
        }

        if (! has (GltfExtras::header))
            placeCameraToSeeAll (mesh);
    }

    return report;
}
