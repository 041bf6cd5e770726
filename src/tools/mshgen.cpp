// Tolmar MSH Viewer - mshgen: writes the bundled sample mesh and the fuzzer's seed files.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "SampleMeshes.h"
#include "msh/MshWriter.h"

#include <iostream>

namespace
{
    bool write (const MshMesh& mesh, const juce::File& file)
    {
        if (mshWriteToFile (mesh, file))
            return true;

        std::cerr << "mshgen: cannot write " << file.getFullPathName() << "\n";
        return false;
    }

    bool writeBytes (const juce::MemoryBlock& bytes, const juce::File& file)
    {
        if (file.replaceWithData (bytes.getData(), bytes.getSize()))
            return true;

        std::cerr << "mshgen: cannot write " << file.getFullPathName() << "\n";
        return false;
    }

    // Small files that between them reach every branch of the reader.
    bool writeSeeds (const juce::File& folder)
    {
        if (! folder.createDirectory())
            return false;

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

    int usage()
    {
        std::cerr << "usage: mshgen sample OUT.msh   writes the bundled sample mesh\n"
                  << "       mshgen seeds DIR        writes the fuzzer's seed files into DIR\n";
        return 64;
    }
}

int main (int argc, char* argv[])
{
    if (argc != 3)
        return usage();

    const juce::String command (argv[1]);
    const auto target = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (juce::CharPointer_UTF8 (argv[2])));

    if (command == "sample")
    {
        MshMesh mesh;
        buildSampleMesh (mesh);
        return write (mesh, target) ? 0 : 1;
    }

    if (command == "seeds")
        return writeSeeds (target) ? 0 : 1;

    return usage();
}
