// Tolmar MSH Viewer - mshinfo: what the viewer would read from .msh files, for people and scripts.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/InfoReport.h"
#include "ToolArguments.h"

#include <iostream>

namespace
{
    const char* const usageText =
        "usage: mshinfo [--json] [--] FILE...\n"
        "  Reads each FILE as the viewer does and prints its header, list counts, totals, bounds, warnings\n"
        "  and objects, one report after another.\n"
        "  --json     one JSON object per file, one per line (JSON Lines)\n"
        "  --help     this text;  --version  the version\n"
        "exit status: the worst of the files: 0 loaded, 1 loaded with warnings, 2 not loaded (or the report\n"
        "could not be written); 64 bad usage\n";
}

int main (int argc, char* argv[])
{
    // Reports of thousands of lines, buffered; untied first, as untying replaces the streams' buffers.
    std::ios::sync_with_stdio (false);
    if (! standardOutputWasOpen())
    {
        std::cerr << "mshinfo: cannot write to standard output: it is closed\n";
        return 2;
    }

    bool json = false;
    const auto line = readCommandLine (argc, argv, "mshinfo", usageText, {
        { "--json", false, [&json] (const juce::String&) { json = true; return Expected<void>(); } } });

    if (line.exitStatus.has_value())
        return *line.exitStatus;

    if (line.operands.isEmpty() || line.operands.contains (juce::String()))
    {
        std::cerr << "mshinfo: " << (line.operands.isEmpty() ? "no FILE given" : "an empty FILE name") << "\n" << usageText;
        return usageStatus;
    }

    int status = 0;

    for (auto& path : line.operands)
    {
        MshMesh mesh;
        MshInfoLoad load;
        load.file = path;
        load.load (mesh, juce::File::getCurrentWorkingDirectory().getChildFile (path));

        if (json)
            writeJsonReport (std::cout, mesh, load);
        else
            writeTextReport (std::cout, mesh, load);

        if (const auto written = standardOutputWritten(); ! written)
        {
            std::cerr << "mshinfo: " << written.message() << "\n";
            return 2;
        }

        if (! load.read)
            std::cerr << "mshinfo: " << path << ": " << load.read.message() << "\n";

        status = juce::jmax (status, load.exitStatus());
    }

    return status;
}
