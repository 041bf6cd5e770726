// Tolmar MSH Viewer - what the viewer draws, as glTF 2.0, binary or text, through tinygltf.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ExportParts.h"
#include "MeshExport.h"
#include "msh/MshGeometry.h"
#include "msh/MshWriter.h"
#include "msh/SafeFiles.h"

#include <tiny_gltf.h>

#include <nlohmann/json.hpp>

#include <cmath>

namespace
{
    float finiteOr0 (float value) { return std::isfinite (value) ? value : 0.0f; }

    // Base64 of what a writer writes, as a JSON string.
    template <typename Write>
    tinygltf::Value base64 (Write&& write)
    {
        juce::MemoryOutputStream bytes;
        MshWriter writer (bytes);
        write (writer);
        return tinygltf::Value (juce::Base64::toBase64 (bytes.getData(), bytes.getDataSize()).toStdString());
    }

    // A std::ostream's bytes handed to a JUCE stream (tinygltf writes to the one, our files are the other).
    struct StreamBuffer final : public std::streambuf
    {
        explicit StreamBuffer (juce::OutputStream& destination) : out (destination) {}

        std::streamsize xsputn (const char* data, std::streamsize size) override
        {
            return out.write (data, (size_t) size) ? size : 0;
        }

        int overflow (int c) override
        {
            const auto byte = (char) c;
            return c == traits_type::eof() || out.write (&byte, 1) ? traits_type::not_eof (c) : traits_type::eof();
        }

        juce::OutputStream& out;
    };

    //==============================================================================
    struct GltfBuilder
    {
        tinygltf::Model model;

        // Room for count values of T in the one buffer (grown within what was reserved), as a new view.
        template <typename T>
        std::pair<int, T*> addView (size_t count, int target)
        {
            auto& bytes = model.buffers[0].data;
            const auto offset = (bytes.size() + 3) & ~(size_t) 3;
            bytes.resize (offset + count * sizeof (T));
            tinygltf::BufferView view;
            view.buffer = 0;
            view.byteOffset = offset;
            view.byteLength = count * sizeof (T);
            view.target = target;
            model.bufferViews.push_back (view);
            return { (int) model.bufferViews.size() - 1, reinterpret_cast<T*> (bytes.data() + offset) };
        }

        void addAccessor (int view, int componentType, size_t count, int type, std::vector<double> min = {}, std::vector<double> max = {})
        {
            tinygltf::Accessor accessor;
            accessor.bufferView = view;
            accessor.componentType = componentType;
            accessor.count = count;
            accessor.type = type;
            accessor.minValues = std::move (min);
            accessor.maxValues = std::move (max);
            model.accessors.push_back (accessor);
        }

        // The mesh of a part, named after its object; its geometry's fingerprint goes to fingerprint, when
        // one is asked for.
        int addMesh (const ExportPart& part, bool twoSided, const std::string& name, juce::String* fingerprint)
        {
            const auto count = part.vertices.size();
            tinygltf::Primitive primitive;
            primitive.mode = TINYGLTF_MODE_TRIANGLES;
            primitive.material = twoSided ? 1 : 0;
            std::vector<double> low (3, HUGE_VAL), high (3, -HUGE_VAL);

            const auto [positionView, positions] = addView<float> (3 * count, TINYGLTF_TARGET_ARRAY_BUFFER);
            for (size_t i = 0; i < count; ++i)
                for (size_t k = 0; k < 3; ++k)
                {
                    positions[3 * i + k] = (&part.vertices[i]->x)[k];
                    low[k] = std::min (low[k], (double) positions[3 * i + k]);
                    high[k] = std::max (high[k], (double) positions[3 * i + k]);
                }
            primitive.attributes["POSITION"] = (int) model.accessors.size();
            addAccessor (positionView, TINYGLTF_COMPONENT_TYPE_FLOAT, count, TINYGLTF_TYPE_VEC3, low, high);
            float* normals = nullptr;

            const auto [uvView, uvs] = addView<float> (2 * count, TINYGLTF_TARGET_ARRAY_BUFFER);
            for (size_t i = 0; i < count; ++i)
                std::memcpy (uvs + 2 * i, &part.vertices[i]->u, 2 * sizeof (float));
            primitive.attributes["TEXCOORD_0"] = (int) model.accessors.size();
            addAccessor (uvView, TINYGLTF_COMPONENT_TYPE_FLOAT, count, TINYGLTF_TYPE_VEC2);

            if (part.normals)
            {
                const auto [normalView, normalArea] = addView<float> (3 * count, TINYGLTF_TARGET_ARRAY_BUFFER);
                normals = normalArea;
                for (size_t i = 0; i < count; ++i)
                {
                    const auto n = unitNormal (*part.vertices[i]);
                    std::memcpy (normals + 3 * i, n.data(), 3 * sizeof (float));
                }
                primitive.attributes["NORMAL"] = (int) model.accessors.size();
                addAccessor (normalView, TINYGLTF_COMPONENT_TYPE_FLOAT, count, TINYGLTF_TYPE_VEC3);
            }

            // 16-bit indices where they reach (65535 is the restart value, which glTF does not allow).
            primitive.indices = (int) model.accessors.size();

            if (count <= 65535)
            {
                const auto [indexView, indices] = addView<juce::uint16> (part.indices.size(), TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
                std::copy (part.indices.begin(), part.indices.end(), indices);
                addAccessor (indexView, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, part.indices.size(), TINYGLTF_TYPE_SCALAR);
            }
            else
            {
                const auto [indexView, indices] = addView<juce::uint32> (part.indices.size(), TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
                std::copy (part.indices.begin(), part.indices.end(), indices);
                addAccessor (indexView, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, part.indices.size(), TINYGLTF_TYPE_SCALAR);
            }

            // The buffer only grows within what was reserved, so the areas written above are still there.
            if (fingerprint != nullptr)
                *fingerprint = geometryFingerprint (positions, uvs, normals, count, part.indices.data(), part.indices.size());

            tinygltf::Mesh mesh;
            mesh.name = name;
            mesh.primitives.push_back (primitive);
            model.meshes.push_back (mesh);
            return (int) model.meshes.size() - 1;
        }

        // The object's node, with its mesh and, in extras, what glTF does not carry of it; the object's
        // lists are released once they are in the buffer.
        int addNode (MshObject& object)
        {
            tinygltf::Node node;
            node.name = object.name.toStdString();
            node.translation = { finiteOr0 (object.matrix[12]), finiteOr0 (object.matrix[13]), finiteOr0 (object.matrix[14]) };
            tinygltf::Value::Object extras { { "flags", tinygltf::Value ((double) object.flags) },
                                             { "isHp", tinygltf::Value (object.isHp) },
                                             { "valueA", tinygltf::Value (object.valueA) },
                                             { "valueB", tinygltf::Value (object.valueB) } };
            extras[GltfExtras::matrix] = base64 ([&object] (MshWriter& w) { for (auto value : object.matrix) w.float32 (value); });
            extras[GltfExtras::objectLists] = base64 ([&object] (MshWriter& w)
            {
                w.packedList (object.list4).packedList (object.list16).entryList (object.quadEntries, &MshWriter::quadEntry);
            });

            const auto part = exportPart (object);
            const auto exact = partIsExact (object, part);
            juce::String fingerprint;

            if (! part.indices.empty())
                node.mesh = addMesh (part, (object.flags & 0x200) != 0, node.name, exact ? nullptr : &fingerprint);

            if (! exact)
            {
                extras[GltfExtras::geometry] = base64 ([&object] (MshWriter& w) { w.packedList (object.vertices).packedList (object.indices); });
                extras[GltfExtras::fingerprint] = tinygltf::Value (fingerprint.toStdString());
            }

            node.extras = tinygltf::Value (std::move (extras));
            mshReleaseList (object.vertices);
            mshReleaseList (object.indices);

            model.nodes.push_back (node);
            return (int) model.nodes.size() - 1;
        }
    };
}

juce::String writeGltf (MshMesh& mesh, const juce::File& target, bool binary)
{
    GltfBuilder b;
    auto& model = b.model;
    model.asset.version = "2.0";
    model.asset.generator = "Tolmar MSH Viewer 0.2.1";
    model.buffers.resize (1);

    // The buffer is reserved once, so it never moves (and never needs twice its size) while it fills.
    // At most every vertex and index kept; room reserved and not written costs no memory.
    size_t bytes = 1024;
    mshForEachPlacedObject (mesh.root, true, { 0, 0, 0 }, [&bytes] (const MshObject& o, double, double, double)
    {
        bytes += o.vertices.size() * 32 + o.indices.size() * 4 + 16;
    });
    model.buffers[0].data.reserve (bytes);

    // Nodes in file order (depth first); each object's node lists its children's nodes.
    std::vector<std::pair<MshObject*, int>> pending;
    tinygltf::Scene scene;
    const auto pushChain = [&pending] (MshObject* first, int parent)
    {
        const auto start = pending.size();
        for (auto* object = first; object != nullptr; object = object->nextSibling.get())
            pending.push_back ({ object, parent });
        std::reverse (pending.begin() + (std::ptrdiff_t) start, pending.end()); // the first one on top
    };

    pushChain (&mesh.root, -1);

    while (! pending.empty())
    {
        const auto [object, parent] = pending.back();
        pending.pop_back();
        const auto node = b.addNode (*object);
        (parent < 0 ? scene.nodes : model.nodes[(size_t) parent].children).push_back (node);
        pushChain (object->firstChild.get(), node);
    }

    // What the file holds besides its objects.
    scene.extras = tinygltf::Value (tinygltf::Value::Object {
        { GltfExtras::header, base64 ([&mesh] (MshWriter& w) { w.header (mesh); }) },
        { GltfExtras::lists, base64 ([&mesh] (MshWriter& w) { w.meshLists (mesh); }) },
        { GltfExtras::trailing, base64 ([&mesh] (MshWriter& w) { w.bytes (mesh.trailingBytes.data(), mesh.trailingBytes.size()); }) } });
    model.scenes.push_back (scene);
    model.defaultScene = 0;
    mesh.clear(); // the model holds all that is written from here on

    const auto files = exportFiles (target, binary ? ExportFormat::glb : ExportFormat::gltf);
    const auto png = rainbowPng();
    tinygltf::Image image;
    image.mimeType = "image/png";
    OutputFileSet set;

    if (binary)
    {
        const auto [view, area] = b.addView<juce::uint8> (png.size(), 0);
        std::memcpy (area, png.data(), png.size());
        image.bufferView = view;
    }
    else
    {
        const auto& picture = files[1];
        image.uri = picture.getFileName().toStdString();

        if (auto* out = set.add (picture); out == nullptr || ! out->write (png.data(), png.size()))
            return set.commit(), set.error();
    }

    model.images.push_back (image);
    tinygltf::Sampler sampler;
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.wrapS = sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
    model.samplers.push_back (sampler);
    tinygltf::Texture texture;
    texture.source = 0;
    texture.sampler = 0;
    model.textures.push_back (texture);

    for (const bool twoSided : { false, true })
    {
        tinygltf::Material material;
        material.name = twoSided ? "rainbow, two-sided" : "rainbow";
        material.pbrMetallicRoughness.baseColorTexture.index = 0;
        material.pbrMetallicRoughness.metallicFactor = 0.0;
        material.doubleSided = twoSided;
        model.materials.push_back (material);
    }

    tinygltf::TinyGLTF writer;
    writer.SetImageWriter (nullptr, nullptr); // the picture is written above, or lies in the buffer

    if (binary)
    {
        auto* out = set.add (target);

        if (out != nullptr)
        {
            StreamBuffer buffer (*out);
            std::ostream stream (&buffer);
            writer.WriteGltfSceneToStream (&model, stream, false, true);
        }

        return set.commit(), set.error();
    }

    // Text: the buffer goes to the .bin, and the JSON names it (tinygltf would write it into the JSON
    // as base64). A mesh that draws nothing has no buffer at all: one of no bytes is not valid glTF.
    std::vector<unsigned char> binBytes;
    binBytes.swap (model.buffers[0].data);

    if (binBytes.empty())
        model.buffers.clear();
    else if (auto* out = set.add (files[0]); out == nullptr || ! out->write (binBytes.data(), binBytes.size()))
        return set.commit(), set.error();

    std::ostringstream text;
    writer.WriteGltfSceneToStream (&model, text, true, false);
    auto json = nlohmann::json::parse (text.str());

    if (! binBytes.empty())
    {
        json["buffers"][0]["uri"] = files[0].getFileName().toStdString();
        json["buffers"][0]["byteLength"] = binBytes.size();
    }

    const auto document = json.dump (2) + "\n";

    if (auto* out = set.add (target))
        out->write (document.data(), document.size());

    return set.commit(), set.error();
}
