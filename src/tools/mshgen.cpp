// Tolmar MSH Viewer - mshgen: writes the bundled sample mesh and the fuzzer's seed files.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "samples/SampleMeshes.h"
#include "ToolArguments.h"
#include "msh/MshWriter.h"
#include "msh/SafeFiles.h"

#include <iostream>

namespace
{
    bool said (const Expected<void>& done)
    {
        if (! done)
            std::cerr << "mshgen: " << done.message() << "\n";

        return done.ok();
    }

    bool write (const MshMesh& mesh, const juce::File& file)
    {
        return said (mshWriteToFile (mesh, file));
    }

    bool writeBytes (const juce::MemoryBlock& bytes, const juce::File& file)
    {
        return said (writeFileAtomically (file, bytes.getData(), bytes.getSize()));
    }

    // Small files that between them reach every branch of the reader.
    bool writeSeeds (const juce::File& folder)
    {
        if (const auto made = folder.createDirectory(); made.failed())
            return said (Failure { Failure::Kind::ioFailed, "cannot make the folder " + folder.getFullPathName() + ": " + made.getErrorMessage() });

        MshMesh mesh;
        bool ok = true;

        buildSampleMesh (mesh);
        ok &= write (mesh, folder.getChildFile ("sample.msh"));

        buildRichMesh (mesh);
        ok &= write (mesh, folder.getChildFile ("rich.msh"));

        {
            juce::MemoryOutputStream stream;
            MshWriter writer (stream);
            writer.endMarkerFor = [] (const MshObject& o) { return o.name == "A" ? 0x12345678u : MshMarker::objectEnd; };
            writer.mesh (mesh);
            ok &= writeBytes (stream.getMemoryBlock(), folder.getChildFile ("rich-bad-end-marker.msh"));
        }

        buildDeepChain (mesh, 40);
        ok &= write (mesh, folder.getChildFile ("deep.msh"));

        buildLongChain (mesh, 40);
        ok &= write (mesh, folder.getChildFile ("long.msh"));

        mesh.clear();
        mesh.root.name = {};
        ok &= write (mesh, folder.getChildFile ("smallest.msh"));

        {
            // A header string of negative length swallows the rest of the file.
            juce::MemoryOutputStream stream;
            MshWriter writer (stream);
            writer.zeros (52).shortStringBytes (-3, "abc\0def", 7).zeros (40);
            ok &= writeBytes (stream.getMemoryBlock(), folder.getChildFile ("negative-string.msh"));
        }

        {
            // A list that claims more elements than any file could hold.
            juce::MemoryOutputStream stream;
            MshWriter writer (stream);
            writer.header (mesh).uint32 (0xffffffffu).zeros (64);
            ok &= writeBytes (stream.getMemoryBlock(), folder.getChildFile ("huge-count.msh"));
        }

        return ok;
    }

    const char* const usageText =
        "usage: mshgen sample OUT.msh   writes the bundled sample mesh\n"
        "       mshgen seeds DIR        writes the fuzzer's seed files into DIR\n"
        "       mshgen --help | --version\n";
}

int main (int argc, char* argv[])
{
    standardOutputWasOpen();
    const auto line = readCommandLine (argc, argv, "mshgen", usageText, {});

    if (line.exitStatus.has_value())
        return *line.exitStatus;

    const auto& command = line.operands[0];

    if (line.operands.size() != 2 || (command != "sample" && command != "seeds"))
    {
        std::cerr << "mshgen: give sample OUT.msh or seeds DIR\n" << usageText;
        return usageStatus;
    }

    const auto target = juce::File::getCurrentWorkingDirectory().getChildFile (line.operands[1]);

    if (command == "sample")
    {
        MshMesh mesh;
        buildSampleMesh (mesh);
        return write (mesh, target) ? 0 : 1;
    }

    return writeSeeds (target) ? 0 : 1;
}
