// Tolmar MSH Viewer - what the viewer draws, as glTF 2.0, binary or text, through tinygltf.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/Base64.h"
#include "msh/Version.h"
#include "exchange/ExportParts.h"
#include "GltfExport.h"
#include "exchange/MeshFormats.h"
#include "msh/MshGeometry.h"
#include "msh/MshWriter.h"
#include "msh/SafeFiles.h"

#include <tiny_gltf.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <numeric>

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

    // What is written to it goes on to another stream as base64, three bytes at a time (so the pieces join
    // into one text).
    class Base64Stream final : public juce::OutputStream
    {
    public:
        explicit Base64Stream (juce::OutputStream& destination) : out (destination) {}

        bool write (const void* data, size_t size) override
        {
            const auto* bytes = static_cast<const juce::uint8*> (data);

            while (size > 0)
            {
                const auto taken = std::min (size, sizeof (pending) - used);
                std::memcpy (pending + used, bytes, taken);
                used += taken;
                bytes += taken;
                size -= taken;
                written += (juce::int64) taken;

                if (used == sizeof (pending))
                    emit();
            }

            return ok;
        }

        // Writes what is left, padded; true when everything reached the stream.
        bool finish()
        {
            emit();
            return ok;
        }

        void flush() override                       {}
        juce::int64 getPosition() override          { return written; }
        bool setPosition (juce::int64) override     { return false; }

    private:
        void emit()
        {
            base64Encode (pending, used, text);
            ok = out.write (text, base64Size (used)) && ok;
            used = 0;
        }

        juce::OutputStream& out;
        juce::uint8 pending[3 * 4096];
        char text[4 * 4096];
        size_t used = 0;
        juce::int64 written = 0;
        bool ok = true;
    };

    // A file beside the glTF as a URI names it: its name's UTF-8 bytes, each but letters, digits and "-._~"
    // percent-encoded (a space, "#", "?" or "%" would mean something else there).
    std::string uriOf (const juce::File& file)
    {
        std::string uri;
        const auto name = file.getFileName().toStdString();

        for (const auto byte : name)
        {
            const auto c = (unsigned char) byte;

            if (std::isalnum (c) != 0 && c < 0x80)
                uri += (char) c;
            else if (c == '-' || c == '.' || c == '_' || c == '~')
                uri += (char) c;
            else
                uri += "%" + juce::String::toHexString ((int) c).paddedLeft ('0', 2).toUpperCase().toStdString();
        }

        return uri;
    }

    // An object's raw vertex and index lists as the .msh format holds them, and their length.
    void writeRawGeometry (MshWriter& w, const MshObject& object)    { w.packedList (object.vertices).packedList (object.indices); }
    size_t rawGeometrySize (const MshObject& object)                 { return 8 + object.vertices.size() * sizeof (MshVertex) + object.indices.size() * 2; }

    // The raw geometry of every object goes into the JSON as it is written, not built as text beside the
    // model: the JSON holds a mark in its place, which nothing else can hold (it names a random number).
    struct DeferredGeometry
    {
        DeferredGeometry()
            : mark ("mshGeometry:" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()).toStdString()
                    + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()).toStdString() + ":") {}

        tinygltf::Value placeholder (const MshObject& object)
        {
            objects.push_back (&object);
            return tinygltf::Value (mark + std::to_string (objects.size() - 1));
        }

        // Calls text (from, to) for the JSON between marks and geometry (object) for each mark.
        template <typename Text, typename Geometry>
        void forEachPiece (const std::string& json, Text&& text, Geometry&& geometry) const
        {
            size_t from = 0;

            for (auto at = json.find (mark); at != std::string::npos; at = json.find (mark, from))
            {
                text (from, at);
                auto end = at + mark.size();
                size_t number = 0;

                while (end < json.size() && json[end] >= '0' && json[end] <= '9')
                    number = number * 10 + (size_t) (json[end++] - '0');

                geometry (*objects.at (number));
                from = end;
            }

            text (from, json.size());
        }

        size_t expandedSize (const std::string& json) const
        {
            size_t size = 0;
            forEachPiece (json, [&size] (size_t from, size_t to) { size += to - from; },
                          [&size] (const MshObject& object) { size += base64Size (rawGeometrySize (object)); });
            return size;
        }

        bool write (juce::OutputStream& out, const std::string& json) const
        {
            bool ok = true;
            forEachPiece (json, [&] (size_t from, size_t to) { ok = out.write (json.data() + from, to - from) && ok; },
                          [&] (const MshObject& object)
                          {
                              Base64Stream text (out);
                              MshWriter writer (text);
                              writeRawGeometry (writer, object);
                              ok = text.finish() && ok;
                          });
            return ok;
        }

        std::string mark;
        std::vector<const MshObject*> objects;
    };

    // Names an editor would not keep as they are: Blender's names are unique, not empty and at most 63 bytes.
    std::vector<char> namesToKeep (const std::vector<const MshObject*>& objects)
    {
        std::vector<juce::uint32> byName (objects.size());
        std::iota (byName.begin(), byName.end(), 0u);
        std::sort (byName.begin(), byName.end(), [&objects] (juce::uint32 a, juce::uint32 b) { return objects[a]->name < objects[b]->name; });
        std::vector<char> keep (objects.size(), 0);

        for (size_t i = 0; i < byName.size(); ++i)
        {
            const auto& name = objects[byName[i]]->name;
            keep[byName[i]] = name.isEmpty() || name.getNumBytesAsUTF8() > 63
                              || (i > 0 && objects[byName[i - 1]]->name == name) || (i + 1 < byName.size() && objects[byName[i + 1]]->name == name);
        }

        return keep;
    }

    // A std::ostream's text appended to a string we keep (an ostringstream would copy it to hand it over).
    struct TextBuffer final : public std::streambuf
    {
        explicit TextBuffer (std::string& destination) : text (destination) {}

        std::streamsize xsputn (const char* data, std::streamsize size) override
        {
            text.append (data, (size_t) size);
            return size;
        }

        int overflow (int c) override
        {
            if (c != traits_type::eof())
                text.push_back ((char) c);

            return traits_type::not_eof (c);
        }

        std::string& text;
    };

    //==============================================================================
    struct GltfBuilder
    {
        tinygltf::Model model;
        DeferredGeometry geometry;

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

        // The mesh of a part, named after its object.
        int addMesh (const ExportPart& part, bool twoSided, const std::string& name)
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

            const auto [uvView, uvs] = addView<float> (2 * count, TINYGLTF_TARGET_ARRAY_BUFFER);
            for (size_t i = 0; i < count; ++i)
                std::memcpy (uvs + 2 * i, &part.vertices[i]->u, 2 * sizeof (float));
            primitive.attributes["TEXCOORD_0"] = (int) model.accessors.size();
            addAccessor (uvView, TINYGLTF_COMPONENT_TYPE_FLOAT, count, TINYGLTF_TYPE_VEC2);

            if (part.normals)
            {
                const auto [normalView, normals] = addView<float> (3 * count, TINYGLTF_TARGET_ARRAY_BUFFER);
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

            tinygltf::Mesh mesh;
            mesh.name = name;
            mesh.primitives.push_back (primitive);
            model.meshes.push_back (mesh);
            return (int) model.meshes.size() - 1;
        }

        // The object's node, with its mesh and, in extras, what glTF does not carry of it: its place in the
        // file, its name where an editor would change it, and its lists as the file holds them.
        int addNode (const MshObject& object, size_t place, bool keepName)
        {
            tinygltf::Node node;
            node.name = object.name.toStdString();
            node.translation = { finiteOr0 (object.matrix[12]), finiteOr0 (object.matrix[13]), finiteOr0 (object.matrix[14]) };
            tinygltf::Value::Object extras { { "flags", tinygltf::Value ((double) object.flags) },
                                             { "isHp", tinygltf::Value (object.isHp) },
                                             { "valueA", tinygltf::Value (object.valueA) },
                                             { "valueB", tinygltf::Value (object.valueB) },
                                             { GltfExtras::place, tinygltf::Value ((double) place) } };
            if (keepName)
                extras[GltfExtras::name] = tinygltf::Value (node.name);

            extras[GltfExtras::matrix] = base64 ([&object] (MshWriter& w) { for (auto value : object.matrix) w.float32 (value); });
            extras[GltfExtras::objectLists] = base64 ([&object] (MshWriter& w)
            {
                w.packedList (object.list4).packedList (object.list16).entryList (object.quadEntries, &MshWriter::quadEntry);
            });

            if (! object.vertices.empty() || ! object.indices.empty())
                extras[GltfExtras::geometry] = geometry.placeholder (object);

            if (const auto part = exportPart (object); ! part.indices.empty())
                node.mesh = addMesh (part, (object.flags & MshFlag::twoSided) != 0, node.name);

            node.extras = tinygltf::Value (std::move (extras));
            model.nodes.push_back (node);
            return (int) model.nodes.size() - 1;
        }
    };
}

Expected<void> writeGltf (const MshMesh& mesh, const juce::File& target, bool binary)
{
    GltfBuilder b;
    auto& model = b.model;
    model.asset.version = "2.0";
    model.asset.generator = std::string ("Tolmar MSH Viewer ") + mshVersion;
    model.buffers.resize (1);

    // The objects in file order (depth first), each with its parent's place.
    std::vector<const MshObject*> objects;
    std::vector<juce::int64> parents;

    mshForEachObject (mesh.root, true, [&] (const MshObject& object, int, juce::int64 parent, juce::int64)
    {
        objects.push_back (&object);
        parents.push_back (parent);
    });

    // The buffer is reserved once, so it never moves (and never needs twice its size) while it fills.
    // At most every vertex and index kept; room reserved and not written costs no memory.
    size_t bytes = 1024;
    for (const auto* o : objects)
        bytes += o->vertices.size() * 32 + o->indices.size() * 4 + 16;
    model.buffers[0].data.reserve (bytes);

    // Each object's node lists its children's nodes.
    const auto keepName = namesToKeep (objects);
    tinygltf::Scene scene;

    for (size_t i = 0; i < objects.size(); ++i)
    {
        const auto node = b.addNode (*objects[i], i, keepName[i] != 0);
        (parents[i] < 0 ? scene.nodes : model.nodes[(size_t) parents[i]].children).push_back (node);
    }

    // What the file holds besides its objects.
    scene.extras = tinygltf::Value (tinygltf::Value::Object {
        { GltfExtras::header, base64 ([&mesh] (MshWriter& w) { w.header (mesh); }) },
        { GltfExtras::lists, base64 ([&mesh] (MshWriter& w) { w.meshLists (mesh); }) },
        { GltfExtras::trailing, base64 ([&mesh] (MshWriter& w) { w.bytes (mesh.trailingBytes.data(), mesh.trailingBytes.size()); }) } });
    model.scenes.push_back (scene);
    model.defaultScene = 0;

    const auto files = filesOfSet (target, binary ? MeshFormat::glb : MeshFormat::gltf);
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
        image.uri = uriOf (picture);

        const auto out = set.add (picture);

        if (! out)
            return out.failure();

        (*out)->write (png.data(), png.size()); // a failure shows at the commit
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

    // The buffer is written on its own (tinygltf would write it into the JSON as base64): into the .glb
    // after the JSON, or as the .bin the JSON names. A mesh that draws nothing has no buffer at all in
    // text glTF: one of no bytes is not valid glTF.
    std::vector<unsigned char> bin;
    bin.swap (model.buffers[0].data);
    model.buffers.clear();

    if (! bin.empty() && ! binary)
    {
        const auto out = set.add (files[0]);

        if (! out)
            return out.failure();

        (*out)->write (bin.data(), bin.size());
    }

    // tinygltf writes the rest; the buffer, which it can only write inline, goes in first by hand.
    tinygltf::TinyGLTF writer;
    writer.SetImageWriter (nullptr, nullptr); // the picture is written above, or lies in the buffer
    std::string document;
    {
        TextBuffer text (document);
        std::ostream stream (&text);
        writer.WriteGltfSceneToStream (&model, stream, ! binary, false);
    }

    if (! bin.empty() && document.size() > 1)
    {
        const auto uri = binary ? std::string() : ", \"uri\": " + nlohmann::json (uriOf (files[0])).dump();
        document.insert (1, std::string (binary ? "" : "\n  ") + "\"buffers\": [ { \"byteLength\": " + std::to_string (bin.size()) + uri + " } ],");
    }

    if (! binary)
        document += "\n";

    const auto added = set.add (target);

    if (! added)
        return added.failure();

    auto* out = *added;

    if (binary)
    {
        // The binary container: a header, the JSON padded with spaces, the buffer padded with zeros.
        const auto jsonSize = b.geometry.expandedSize (document);
        const auto jsonPadding = (4 - jsonSize % 4) % 4, binPadding = (4 - bin.size() % 4) % 4;
        const auto total = 12 + 8 + jsonSize + jsonPadding + 8 + bin.size() + binPadding;
        const auto word = [out] (juce::uint64 value) { return out->writeInt ((int) (juce::uint32) value); };

        if (total > 0xffffffffu)
        {
            set.discard();
            return Failure { Failure::Kind::tooBig, target.getFullPathName() + ": more than the 4 GB a .glb file can hold" };
        }

        // A failure shows at the commit.
        word (0x46546C67) && word (2) && word (total) && word (jsonSize + jsonPadding) && word (0x4E4F534A)
            && b.geometry.write (*out, document) && out->writeRepeatedByte (' ', jsonPadding)
            && word (bin.size() + binPadding) && word (0x004E4942) && out->write (bin.data(), bin.size())
            && out->writeRepeatedByte (0, binPadding);
    }
    else
    {
        b.geometry.write (*out, document);
    }

    return set.commit();
}
