// Tolmar MSH Viewer - libFuzzer target: any bytes through the reader, the reports and the writer.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/MshWriter.h"
#include "msh/MshReader.h"
#include "exchange/InfoReport.h"

#include <cstdlib>
#include <sstream>

namespace
{
    void check (bool condition, const char* what)
    {
        if (! condition)
        {
            std::fprintf (stderr, "fuzz_reader: %s\n", what);
            std::abort();
        }
    }

    bool isCleared (const MshMesh& mesh)
    {
        return mesh.headerString.isEmpty() && mesh.root.name.isEmpty() && mesh.root.firstChild == nullptr
            && mesh.root.nextSibling == nullptr && mesh.root.vertices.empty() && mesh.list12A.empty()
            && mesh.tripleEntries.empty() && mesh.namedGroups.empty();
    }
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    MshMesh mesh;
    size_t warnings = 0;
    const auto loaded = mshLoadMemory (mesh, data, size, [&warnings] (const MshWarning&) { ++warnings; });

    if (! loaded)
    {
        check (isCleared (mesh), "a failed load left the model partly filled");
        check (size == 0 || loaded.message().isNotEmpty(), "a failed load gave no reason");
        return 0;
    }

    // The reports walk every object and escape every string.
    MshInfoLoad load;
    load.warningCount = warnings;
    std::ostringstream sink;
    writeJsonReport (sink, mesh, load);
    writeTextReport (sink, mesh, load);

    // What was read, written again, reads back without a warning and writes the same bytes.
    const auto written = mshWriteToMemory (mesh);
    MshMesh again;
    size_t againWarnings = 0;
    check (mshLoadMemory (again, written.getData(), written.getSize(), [&againWarnings] (const MshWarning&) { ++againWarnings; }).ok(),
           "a written model does not load");
    check (againWarnings == 0, "a written model loads with warnings");
    check (mshWriteToMemory (again) == written, "a written model reads back as a different model");
    return 0;
}
