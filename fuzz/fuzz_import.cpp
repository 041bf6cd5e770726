// Tolmar MSH Viewer - libFuzzer target: any bytes as a .glb, .gltf or .obj file through the importer,
// and what it makes through the writer and the reader.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/import/MeshImport.h"
#include "msh/MshReader.h"
#include "msh/MshWriter.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // The first byte says what the rest is; the importer reads files, so the rest becomes one.
    static const char* const extensions[] = { "glb", "gltf", "obj" };
    static const auto folder = juce::File::createTempFile ("fuzz-import");
    folder.createDirectory();

    if (size == 0)
        return 0;

    const auto file = folder.getChildFile (juce::String ("input.") + extensions[data[0] % 3]);
    file.replaceWithData (data + 1, size - 1);

    MshMesh mesh;
    const auto outcome = importMesh (file, mesh);
    file.deleteFile();

    if (! outcome)
    {
        if (outcome.message().isEmpty())
        {
            std::fprintf (stderr, "fuzz_import: a refusal without a reason\n");
            std::abort();
        }

        return 0;
    }

    // What was made is a model the format holds: written and read, it is the same.
    const auto bytes = mshWriteToMemory (mesh);
    MshMesh again;

    if (! mshLoadMemory (again, bytes.getData(), bytes.getSize()) || mshWriteToMemory (again) != bytes)
    {
        std::fprintf (stderr, "fuzz_import: a model that does not read back as written\n");
        std::abort();
    }

    return 0;
}
