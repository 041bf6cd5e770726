// Tolmar MSH Viewer - what the viewer draws, as Wavefront OBJ with its material and texture.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/ExportParts.h"
#include "msh/Version.h"
#include "ObjExport.h"
#include "exchange/MeshFormats.h"
#include "msh/MshGeometry.h"
#include "msh/SafeFiles.h"

#include <charconv>
#include <cmath>

namespace
{
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
}

Expected<void> writeObj (const MshMesh& mesh, const juce::File& target)
{
    const auto files = filesOfSet (target, MeshFormat::obj);
    const auto png = rainbowPng();
    const auto material = "newmtl rainbow\nKa 1 1 1\nKd 1 1 1\nd 1\nillum 1\nmap_Kd " + files[1].getFileName().toStdString() + "\n";
    OutputFileSet set;

    for (const auto& [file, bytes] : { std::pair<juce::File, std::string_view> { files[0], material },
                                       std::pair<juce::File, std::string_view> { files[1], { reinterpret_cast<const char*> (png.data()), png.size() } } })
    {
        const auto out = set.add (file);

        if (! out)
            return out.failure();

        (*out)->write (bytes.data(), bytes.size()); // a failure shows at the commit
    }

    const auto objFile = set.add (target);

    if (! objFile)
        return objFile.failure();

    {
        TextOut obj (**objFile);
        obj << "# Tolmar MSH Viewer " << mshVersion << ": each object with its translations applied\nmtllib " << files[0].getFileName().toStdString() << "\n";
        size_t written = 0, writtenNormals = 0;

        // Where each depth's last object puts its vertices; a translation that is not a number moves nothing,
        // as in glTF: here it would place every vertex below it nowhere.
        std::vector<std::array<double, 3>> placed;

        mshForEachObject (mesh.root, true, [&] (const MshObject& object, int depth, juce::int64, juce::int64)
        {
            const auto parent = depth == 0 ? std::array<double, 3> { 0, 0, 0 } : placed[(size_t) depth - 1];
            placed.resize ((size_t) depth + 1);

            for (size_t i = 0; i < 3; ++i)
                placed[(size_t) depth][i] = parent[i] + (std::isfinite (object.matrix[12 + i]) ? (double) object.matrix[12 + i] : 0.0);

            const auto [x, y, z] = placed[(size_t) depth];
            const auto part = exportPart (object);

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

    return set.commit();
}
