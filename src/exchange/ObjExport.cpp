// Tolmar MSH Viewer - what the viewer draws, as Wavefront OBJ with its material and texture.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ExportParts.h"
#include "MeshExport.h"
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

juce::String writeObj (MshMesh& mesh, const juce::File& target)
{
    // A translation that is not a number moves nothing, as in glTF: here it would place every vertex below
    // it nowhere.
    mshForEachPlacedObject (mesh.root, true, { 0, 0, 0 }, [] (const MshObject& object, double, double, double)
    {
        auto& matrix = const_cast<MshObject&> (object).matrix;

        for (size_t i = 12; i < 15; ++i)
            matrix[i] = std::isfinite (matrix[i]) ? matrix[i] : 0.0f;
    });

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

    return set.commit(), set.error();
}
