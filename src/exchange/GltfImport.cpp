// Tolmar MSH Viewer - glTF 2.0 read into the mesh model, through tinygltf.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ExportParts.h"
#include "GltfAccessors.h"
#include "ImportGeometry.h"
#include "msh/MshReader.h"

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
            for (size_t t = 0; t + 2 < g.indices.size(); t += 3)
                std::swap (g.indices[t + 1], g.indices[t + 2]);
    }

    struct Importer
    {
        const tinygltf::Model& model;
        MshMesh& mesh;
        ImportOutcome& outcome;

        bool fail (const juce::String& why)   { outcome.error = why; return false; }

        // The bytes an extras entry holds in base64, read by the .msh reader; false when they cannot be.
        template <typename Read>
        bool readExtras (const tinygltf::Value& extras, const char* key, const juce::String& what, Read&& read)
        {
            if (! extras.IsObject() || ! extras.Has (key))
                return true;

            juce::MemoryOutputStream bytes;
            const auto& text = extras.Get (key);

            if (! text.IsString() || ! juce::Base64::convertFromBase64 (bytes, text.Get<std::string>()))
                return fail (what + ": " + key + " in extras is not base64");

            juce::MemoryInputStream in (bytes.getData(), bytes.getDataSize(), false);
            const MshWarningHandler noWarnings;

            try
            {
                MshReader reader (in, (juce::int64) bytes.getDataSize(), noWarnings);
                read (reader);
                return true;
            }
            catch (const MshReader::Failure& failure)
            {
                return fail (what + ": " + key + " in extras cannot be read: " + failure.reason);
            }
        }

        // The geometry of a mesh: its primitives one after another, each as triangles.
        bool geometryOf (int meshIndex, const juce::String& what, ImportedGeometry& g)
        {
            if (meshIndex < 0)
                return true;

            if ((size_t) meshIndex >= model.meshes.size())
                return fail (what + ": mesh " + juce::String (meshIndex) + " does not exist");

            bool everyNormal = true, someNormal = false;

            for (const auto& primitive : model.meshes[(size_t) meshIndex].primitives)
            {
                const auto mode = primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;

                if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP && mode != TINYGLTF_MODE_TRIANGLE_FAN)
                {
                    outcome.warnings.add (what + ": points or lines left out");
                    continue;
                }

                const auto attribute = [&primitive] (const char* name) { const auto a = primitive.attributes.find (name); return a == primitive.attributes.end() ? -1 : a->second; };
                std::vector<float> positions, normals, uvs;
                std::vector<juce::uint32> corners;
                juce::String error;

                if (attribute ("POSITION") < 0)
                    return fail (what + ": a primitive without positions");

                if (! readAccessor (model, attribute ("POSITION"), 3, positions, error)
                    || (attribute ("NORMAL") >= 0 && ! readAccessor (model, attribute ("NORMAL"), 3, normals, error))
                    || (attribute ("TEXCOORD_0") >= 0 && ! readAccessor (model, attribute ("TEXCOORD_0"), 2, uvs, error))
                    || (primitive.indices >= 0 && ! readAccessor (model, primitive.indices, 1, corners, error)))
                    return fail (what + ": " + error);

                const auto count = positions.size() / 3, first = g.positions.size();

                if (primitive.indices < 0)
                    for (juce::uint32 i = 0; i < count; ++i)
                        corners.push_back (i);

                for (const auto c : corners)
                    if (c >= count)
                        return fail (what + ": an index past the " + juce::String ((juce::int64) count) + " vertices");

                // Texture coordinates a primitive has not are 0; normals, unless all have them, are made.
                for (size_t v = 0; v < count; ++v)
                {
                    g.positions.push_back ({ positions[3 * v], positions[3 * v + 1], positions[3 * v + 2] });
                    g.uvs.push_back (uvs.empty() ? std::array<float, 2> { 0, 0 } : std::array<float, 2> { uvs[2 * v], uvs[2 * v + 1] });
                    g.normals.push_back (normals.empty() ? std::array<float, 3> { 0, 0, 0 } : std::array<float, 3> { normals[3 * v], normals[3 * v + 1], normals[3 * v + 2] });
                }

                everyNormal = everyNormal && ! normals.empty();
                someNormal = someNormal || ! normals.empty();

                // glTF's strips turn every other triangle round; fans share their first corner.
                const auto n = corners.size();
                const auto triangle = [&] (size_t a, size_t b, size_t c)
                {
                    g.indices.insert (g.indices.end(), { (juce::uint32) first + corners[a], (juce::uint32) first + corners[b], (juce::uint32) first + corners[c] });
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
                outcome.warnings.add (what + ": normals made from the triangles, as some primitives have none");

            return true;
        }

        // The object of one node, with its placement under its parent's and what extras kept of it.
        bool makeObject (const tinygltf::Node& node, int index, MshObject& object, const Linear& parent, Linear& world)
        {
            const auto what = "node " + juce::String (index) + " \"" + juce::String::fromUTF8 (node.name.c_str()) + "\"";
            const auto [t, linear] = localTransform (node);
            world = times (parent, linear);

            // Placed by translation alone: what the parent turns and scales, the child's offset is turned by.
            const auto offset = parent == identity ? t : apply (parent, t[0], t[1], t[2]);
            const std::array<float, 3> translation { (float) offset[0], (float) offset[1], (float) offset[2] };

            if (! nameObject (object, juce::String::fromUTF8 (node.name.c_str()), outcome))
                return false;

            object.matrix = translationMatrix (translation[0], translation[1], translation[2]);
            const auto& extras = node.extras;

            if (! readExtras (extras, GltfExtras::matrix, what, [&object] (MshReader& r) { r.readWords (object.matrix.data(), sizeof (object.matrix)); }))
                return false;

            // A placement that was not changed keeps what the matrix held (a translation that is not a number).
            const auto same = [] (float a, float b) { return a == b || (! std::isfinite (a) && b == 0); };
            if (! (same (object.matrix[12], translation[0]) && same (object.matrix[13], translation[1]) && same (object.matrix[14], translation[2])))
                std::copy (translation.begin(), translation.end(), object.matrix.begin() + 12);

            if (extras.IsObject())
            {
                // Numbers someone may have edited: whole, and within what the fields hold.
                const auto number = [&extras] (const char* key, double low, double high)
                {
                    const auto value = extras.Has (key) && extras.Get (key).IsNumber() ? extras.Get (key).GetNumberAsDouble() : 0.0;
                    return std::isfinite (value) ? std::clamp (std::floor (value), low, high) : 0.0;
                };
                object.flags = (juce::uint32) number ("flags", 0, 4294967295.0);
                object.valueA = (juce::int32) number ("valueA", -2147483648.0, 2147483647.0);
                object.valueB = (juce::int32) number ("valueB", -2147483648.0, 2147483647.0);
            }

            if (! readExtras (extras, GltfExtras::objectLists, what, [&object] (MshReader& r)
                {
                    r.readPackedList (object.list4, "list4");
                    r.readPackedList (object.list16, "list16");
                    r.readEntryList (object.quadEntries, "quadEntries", [&r] (MshQuadEntry& e) { r.readQuadEntry (e); });
                }))
                return false;

            ImportedGeometry g;

            if (! geometryOf (node.mesh, what, g))
                return false;

            if (world != identity)
                bake (g, world);

            // Geometry as it was exported, fingerprint and all, gives back the raw lists it stood for.
            if (extras.IsObject() && extras.Has (GltfExtras::geometry) && extras.Has (GltfExtras::fingerprint)
                && extras.Get (GltfExtras::fingerprint).IsString() && extras.Get (GltfExtras::fingerprint).Get<std::string>() == fingerprintOf (g))
                return readExtras (extras, GltfExtras::geometry, what, [&object] (MshReader& r)
                {
                    r.readPackedList (object.vertices, "vertices");
                    r.readPackedList (object.indices, "indices");
                });

            if (putGeometry (object, g) > 1)
                outcome.warnings.add (what + ": more than 65535 vertices, split into child objects");

            return true;
        }

        std::string fingerprintOf (const ImportedGeometry& g) const
        {
            if (g.positions.empty() && g.indices.empty())
                return {};

            std::vector<float> positions, uvs, normals;
            for (size_t v = 0; v < g.positions.size(); ++v)
            {
                positions.insert (positions.end(), g.positions[v].begin(), g.positions[v].end());
                uvs.insert (uvs.end(), g.uvs[v].begin(), g.uvs[v].end());
                if (! g.normals.empty())
                    normals.insert (normals.end(), g.normals[v].begin(), g.normals[v].end());
            }

            return geometryFingerprint (positions.data(), uvs.data(), normals.empty() ? nullptr : normals.data(), g.positions.size(),
                                        g.indices.data(), g.indices.size()).toStdString();
        }

        // Every node of the scene in file order, depth first, without recursion: any depth reads.
        bool makeObjects (const std::vector<int>& roots)
        {
            struct Pending { int node; MshObject* parent; Linear parentWorld; };
            std::vector<Pending> pending;
            std::vector<char> seen (model.nodes.size(), 0);
            std::unordered_map<const MshObject*, std::unique_ptr<MshObject>*> tails; // where a parent's next child goes
            std::unique_ptr<MshObject>* rootTail = nullptr;

            for (auto r = roots.rbegin(); r != roots.rend(); ++r)
                pending.push_back ({ *r, nullptr, identity });

            while (! pending.empty())
            {
                const auto item = pending.back();
                pending.pop_back();

                if (item.node < 0 || (size_t) item.node >= model.nodes.size() || seen[(size_t) item.node]++ != 0)
                    return fail ("node " + juce::String (item.node) + " is missing, or stands twice in the hierarchy");

                MshObject* object = nullptr;

                if (item.parent == nullptr && rootTail == nullptr)
                    object = &mesh.root, rootTail = &mesh.root.nextSibling;
                else
                {
                    auto*& tail = item.parent == nullptr ? rootTail : tails[item.parent];
                    if (tail == nullptr)
                        for (tail = &item.parent->firstChild; *tail != nullptr;) // after the parts of a split mesh
                            tail = &(*tail)->nextSibling;
                    *tail = std::make_unique<MshObject>();
                    object = tail->get();
                    tail = &object->nextSibling;
                }

                const auto& node = model.nodes[(size_t) item.node];
                Linear world;

                if (! makeObject (node, item.node, *object, item.parentWorld, world))
                    return false;

                for (auto c = node.children.rbegin(); c != node.children.rend(); ++c)
                    pending.push_back ({ *c, object, world });
            }

            return true;
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

ImportOutcome importGltf (const juce::File& source, MshMesh& mesh)
{
    ImportOutcome outcome;
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string error, warning;

    // The images are not looked at, only found: the view has a texture of its own.
    loader.SetImageLoader ([] (tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int, void*) { return true; }, nullptr);
    const auto path = source.getFullPathName().toStdString();
    const auto loaded = source.hasFileExtension ("glb") ? loader.LoadBinaryFromFile (&model, &error, &warning, path)
                                                        : loader.LoadASCIIFromFile (&model, &error, &warning, path);

    if (! loaded || warning.find ("Failed to load external") != std::string::npos)
        return outcome.error = juce::String (error + warning).trim().replace ("\n", "; "), outcome;

    if (! model.extensionsRequired.empty())
    {
        const auto& required = model.extensionsRequired.front();
        return outcome.error = (required == "KHR_draco_mesh_compression" || required == "EXT_meshopt_compression" ? "compressed geometry ("
                                : "an extension it needs (") + juce::String (required) + ") cannot be read", outcome;
    }

    juce::int64 bytes = source.getSize();
    for (const auto& buffer : model.buffers)
        bytes += buffer.uri.empty() || buffer.uri.rfind ("data:", 0) == 0 ? 0 : (juce::int64) buffer.data.size();

    if (! withinBudget (model, bytes))
        return outcome.error = "its accessors claim more than 4 times the memory of the file", outcome;

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

    Importer importer { model, mesh, outcome };
    const auto sceneExtras = (size_t) scene < model.scenes.size() ? model.scenes[(size_t) scene].extras : tinygltf::Value();
    const auto own = sceneExtras.IsObject() && sceneExtras.Has (GltfExtras::header);

    if (! importer.readExtras (sceneExtras, GltfExtras::header, "the scene", [&mesh] (MshReader& r) { r.readHeader (mesh); })
        || ! importer.readExtras (sceneExtras, GltfExtras::lists, "the scene", [&mesh] (MshReader& r) { r.readMeshLists (mesh); })
        || ! importer.readExtras (sceneExtras, GltfExtras::trailing, "the scene", [&mesh] (MshReader& r)
             {
                 mesh.trailingBytes.resize ((size_t) r.bytesLeft());
                 r.readBytes (mesh.trailingBytes.data(), mesh.trailingBytes.size());
             })
        || ! importer.makeObjects (roots))
        return outcome;

    if (! own)
        placeCameraToSeeAll (mesh);

    return outcome;
}
