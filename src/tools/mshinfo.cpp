// Tolmar MSH Viewer - mshinfo: what the viewer would read from a .msh file, for people and scripts.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MshInfoReport.h"

#include <iostream>

namespace
{
    constexpr int usageStatus = 64;

    int usage (const char* message)
    {
        std::cerr << "mshinfo: " << message << "\n"
                  << "usage: mshinfo [--json] FILE\n"
                  << "  Reads FILE as the viewer does and prints its header, list counts, warnings and objects.\n"
                  << "  --json  one JSON object instead of the readable report\n"
                  << "exit status: 0 loaded, 1 loaded with warnings, 2 not loaded, 64 bad usage\n";
        return usageStatus;
    }
}

int main (int argc, char* argv[])
{
    bool json = false;
    juce::String path;
    bool pathGiven = false;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String argument = juce::CharPointer_UTF8 (argv[i]);

        if (argument == "--json" && ! pathGiven)
            json = true;
        else if (argument == "--help" || argument == "-h")
            return usage ("reads one .msh file");
        else if (pathGiven)
            return usage ("give exactly one FILE");
        else
        {
            path = argument;
            pathGiven = true;
        }
    }

    if (! pathGiven || path.isEmpty())
        return usage ("no FILE given");

    std::ios::sync_with_stdio (false);

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

    return load.exitStatus();
}
