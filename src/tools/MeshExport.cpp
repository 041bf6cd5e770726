// Tolmar MSH Viewer - what the viewer draws, as glTF 2.0 (binary or text) or Wavefront OBJ.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshExport.h"
#include "PngFiles.h"
#include "msh/MshGeometry.h"
#include "msh/SafeFiles.h"
#include "view/RainbowTexture.h"

#include <tiny_gltf.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <charconv>

namespace
{
    // One object's share of what is drawn: its kept vertices (renumbered) and triangles.
    struct Part
    {
        std::vector<const MshVertex*> vertices;
        std::vector<juce::uint32> indices;
        bool normals = true; // every kept normal could be made unit length
    };

    bool finite (float a, float b, float c = 0) { return std::isfinite (a) && std::isfinite (b) && std::isfinite (c); }

    Part keptPart (const MshObject& object)
    {
        Part part;
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

    float finiteOr0 (float value) { return std::isfinite (value) ? value : 0.0f; }

    // The rainbow texture as an RGBA picture, first row first, as the view uploads it.
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

        int addMesh (const Part& part, bool twoSided)
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
            mesh.primitives.push_back (primitive);
            model.meshes.push_back (mesh);
            return (int) model.meshes.size() - 1;
        }

        // The object's node, with its mesh; the object's lists are released once they are in the buffer.
        int addNode (MshObject& object)
        {
            tinygltf::Node node;
            node.name = object.name.toStdString();
            node.translation = { finiteOr0 (object.matrix[12]), finiteOr0 (object.matrix[13]), finiteOr0 (object.matrix[14]) };
            node.extras = tinygltf::Value (tinygltf::Value::Object { { "flags", tinygltf::Value ((double) object.flags) },
                                                                     { "isHp", tinygltf::Value (object.isHp) },
                                                                     { "valueA", tinygltf::Value (object.valueA) },
                                                                     { "valueB", tinygltf::Value (object.valueB) } });

            if (const auto part = keptPart (object); ! part.indices.empty())
                node.mesh = addMesh (part, (object.flags & 0x200) != 0);

            mshReleaseList (object.vertices);
            mshReleaseList (object.indices);

            model.nodes.push_back (node);
            return (int) model.nodes.size() - 1;
        }
    };

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

    //==============================================================================
    // Text written through a buffer, numbers by to_chars: iostreams take seconds for a million vertices.
    struct TextOut
    {
        explicit TextOut (juce::OutputStream& destination) : out (destination) {}
        ~TextOut()                                      { flushIfFull (0); }

        TextOut& operator<< (const char* text)          { text_.append (text); return flushIfFull(); }
        TextOut& operator<< (const std::string& text)   { text_.append (text); return flushIfFull(); }
        TextOut& operator<< (float value)               { return number (value); }
        TextOut& operator<< (size_t value)              { return number (value); }

        template <typename T>
        TextOut& number (T value)
        {
            char digits[32];
            text_.append (digits, (size_t) (std::to_chars (digits, digits + sizeof (digits), value).ptr - digits));
            return flushIfFull();
        }

        TextOut& flushIfFull (size_t limit = 1 << 20)
        {
            if (text_.size() >= limit && ! text_.empty())
                out.write (text_.data(), text_.size()), text_.clear(); // a failure shows at the commit
            return *this;
        }

        juce::OutputStream& out;
        std::string text_;
    };

    juce::String writeObj (MshMesh& mesh, const juce::File& target)
    {
        const auto files = exportFiles (target, ExportFormat::obj);
        const auto png = rainbowPng();
        const auto material = "newmtl rainbow\nKa 1 1 1\nKd 1 1 1\nd 1\nillum 1\nmap_Kd " + files[1].getFileName().toStdString() + "\n";
        OutputFileSet set;

        if (auto* out = set.add (files[0]); out == nullptr || ! out->write (material.data(), material.size()))
            return set.commit(), set.error();

        if (auto* out = set.add (files[1]); out == nullptr || ! out->write (png.data(), png.size()))
            return set.commit(), set.error();

        auto* objFile = set.add (target);

        if (objFile == nullptr)
            return set.error();

        {
            TextOut obj (*objFile);
            obj << "# Tolmar MSH Viewer 0.2.1: each object with its translations applied\nmtllib " << files[0].getFileName().toStdString() << "\n";
            size_t written = 0, writtenNormals = 0;

            mshForEachPlacedObject (mesh.root, true, { 0, 0, 0 }, [&] (const MshObject& object, double x, double y, double z)
            {
                const auto part = keptPart (object);

                if (part.indices.empty())
                    return;

                // OBJ names end at a line break; OBJ's v runs up from the picture's bottom row.
                obj << "o " << object.name.replaceCharacters ("\r\n", "  ").toStdString() << "\nusemtl rainbow\n";

                for (const auto* v : part.vertices)
                    obj << "v " << (float) (x + v->x) << " " << (float) (y + v->y) << " " << (float) (z + v->z) << "\nvt " << v->u << " " << (1.0f - v->v) << "\n";

                for (const auto* v : part.vertices)
                    if (part.normals)
                    {
                        const auto n = unitNormal (*v);
                        obj << "vn " << n[0] << " " << n[1] << " " << n[2] << "\n";
                    }

                for (size_t i = 0; i < part.indices.size(); i += 3)
                {
                    obj << "f";

                    for (size_t k = 0; k < 3; ++k)
                    {
                        const auto n = written + part.indices[i + k] + 1;
                        obj << " " << n << "/" << n;

                        if (part.normals)
                            obj << "/" << (writtenNormals + part.indices[i + k] + 1);
                    }

                    obj << "\n";
                }

                written += part.vertices.size();
                writtenNormals += part.normals ? part.vertices.size() : 0;
            });
        }

        return set.commit(), set.error();
    }
}

juce::String exportMesh (MshMesh& mesh, const juce::File& target, ExportFormat format)
{
    // A translation that is not a number moves nothing: glTF has no such number, and in OBJ it would
    // place every vertex below it nowhere.
    mshForEachPlacedObject (mesh.root, true, { 0, 0, 0 }, [] (const MshObject& object, double, double, double)
    {
        auto& matrix = const_cast<MshObject&> (object).matrix;

        for (size_t i = 12; i < 15; ++i)
            matrix[i] = finiteOr0 (matrix[i]);
    });

    return format == ExportFormat::obj ? writeObj (mesh, target) : writeGltf (mesh, target, format == ExportFormat::glb);
}

juce::Array<juce::File> exportFiles (const juce::File& target, ExportFormat format)
{
    const auto texture = target.getSiblingFile (target.getFileNameWithoutExtension() + "-rainbow.png");

    switch (format)
    {
        case ExportFormat::glb:  return { target };
        case ExportFormat::gltf: return { target.withFileExtension ("bin"), texture, target };
        case ExportFormat::obj:  return { target.withFileExtension ("mtl"), texture, target };
    }

    return { target };
}

std::optional<ExportFormat> exportFormatNamed (const juce::String& name)
{
    for (const auto format : { ExportFormat::glb, ExportFormat::gltf, ExportFormat::obj })
        if (name.equalsIgnoreCase (juce::String (exportExtension (format)).substring (1)))
            return format;

    return {};
}

const char* exportExtension (ExportFormat format)
{
    return format == ExportFormat::glb ? ".glb" : format == ExportFormat::gltf ? ".gltf" : ".obj";
}
