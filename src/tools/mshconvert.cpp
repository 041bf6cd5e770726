// Tolmar MSH Viewer - mshconvert: .msh files as glTF 2.0 or Wavefront OBJ, for other programs.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshExport.h"

#include <iostream>

namespace
{
    const char* const usageText =
        "usage: mshconvert [--format glb|gltf|obj] [-o OUT] FILE.msh...\n"
        "  Writes each FILE as the viewer draws it: binary glTF (.glb, the default), text glTF (.gltf with a\n"
        "  .bin and the texture .png) or OBJ (.obj with an .mtl and the texture .png). OUT names the output\n"
        "  file for one FILE, the folder for several; by default the output goes beside each FILE.\n"
        "exit status: 0 all written, 1 written with warnings, 2 some file not loaded or not written, 64 bad usage\n";

    int usage (const juce::String& message)
    {
        std::cerr << "mshconvert: " << message << "\n" << usageText;
        return 64;
    }
}

int main (int argc, char* argv[])
{
    auto format = ExportFormat::glb;
    juce::String output;
    juce::StringArray inputs;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String argument = juce::CharPointer_UTF8 (argv[i]);
        const juce::String value = i + 1 < argc ? juce::String (juce::CharPointer_UTF8 (argv[i + 1])) : juce::String();

        if (argument == "--help")
            return (std::cout << usageText).good() ? 0 : 1;

        if (argument == "--format" && (value == "glb" || value == "gltf" || value == "obj"))
            format = value == "glb" ? ExportFormat::glb : value == "gltf" ? ExportFormat::gltf : ExportFormat::obj, ++i;
        else if (argument == "-o" && value.isNotEmpty())
            output = value, ++i;
        else if (argument.startsWith ("-"))
            return usage ("bad option " + argument);
        else
            inputs.add (argument);
    }

    if (inputs.isEmpty())
        return usage ("no FILE given");

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const auto extension = format == ExportFormat::glb ? ".glb" : format == ExportFormat::gltf ? ".gltf" : ".obj";
    const auto folder = output.isNotEmpty() && inputs.size() > 1 ? cwd.getChildFile (output) : juce::File();

    if (folder != juce::File() && ! folder.createDirectory())
        return usage ("cannot make the folder " + output);

    int status = 0;

    for (auto& input : inputs)
    {
        const auto source = cwd.getChildFile (input);
        const auto target = output.isEmpty() ? source.withFileExtension (extension)
                          : folder != juce::File() ? folder.getChildFile (source.getFileNameWithoutExtension() + extension)
                          : cwd.getChildFile (output);
        MshMesh mesh;

        if (! mesh.loadFromFile (source, [&] (const MshWarning& w)
            {
                std::cerr << "mshconvert: " << input << ": warning: wrong end marker at byte " << w.offset << "\n";
                status = juce::jmax (status, 1);
            }))
        {
            std::cerr << "mshconvert: " << input << ": " << mesh.getLoadError() << "\n";
            status = 2;
            continue;
        }

        if (const auto problem = exportMesh (mesh, target, format); problem.isNotEmpty())
        {
            std::cerr << "mshconvert: " << input << ": " << problem << "\n";
            status = 2;
        }
    }

    return status;
}
