// Tolmar MSH Viewer - mshinfo: what the viewer would read from .msh files, for people and scripts.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MshInfoReport.h"

#include <iostream>

namespace
{
    constexpr int usageStatus = 64;

    const char* const usageText =
        "usage: mshinfo [--json] FILE...\n"
        "  Reads each FILE as the viewer does and prints its header, list counts, totals, bounds, warnings\n"
        "  and objects, one report after another.\n"
        "  --json     one JSON object per file, one per line (JSON Lines)\n"
        "  --help     this text;  --version  the version\n"
        "exit status: the worst of the files: 0 loaded, 1 loaded with warnings, 2 not loaded; 64 bad usage\n";

    int usage (const char* message)
    {
        std::cerr << "mshinfo: " << message << "\n" << usageText;
        return usageStatus;
    }
}

int main (int argc, char* argv[])
{
    bool json = false;
    juce::StringArray paths;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String argument = juce::CharPointer_UTF8 (argv[i]);

        if (argument == "--json")
            json = true;
        else if (argument == "--help" || argument == "-h")
            return (std::cout << usageText).good() ? 0 : 1;
        else if (argument == "--version")
            return (std::cout << "mshinfo 0.2.1\n").good() ? 0 : 1;
        else if (argument.startsWith ("-") && argument != "-")
            return usage (("unknown option " + argument).toRawUTF8());
        else if (argument.isEmpty())
            return usage ("an empty FILE name");
        else
            paths.add (argument);
    }

    if (paths.isEmpty())
        return usage ("no FILE given");

    std::ios::sync_with_stdio (false);
    int status = 0;

    for (auto& path : paths)
    {
        MshMesh mesh;
        MshInfoLoad load;
        load.file = path;
        load.load (mesh, juce::File::getCurrentWorkingDirectory().getChildFile (path));

        if (json)
            writeJsonReport (std::cout, mesh, load);
        else
            writeTextReport (std::cout, mesh, load);

        std::cout.flush();

        if (! load.loaded)
            std::cerr << "mshinfo: " << path << ": " << load.error << "\n";

        status = juce::jmax (status, load.exitStatus());
    }

    return status;
}
