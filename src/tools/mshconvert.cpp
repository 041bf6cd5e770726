// Tolmar MSH Viewer - mshconvert: .msh files as glTF 2.0 or Wavefront OBJ, for other programs.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/MeshExport.h"
#include "exchange/MeshImport.h"
#include "OutputPlan.h"
#include "ToolArguments.h"

#include <iostream>

namespace
{
    const char* const usageText =
        "usage: mshconvert [--format glb|gltf|obj|msh] [-o OUT] [--base ORIGINAL.msh] [--] FILE...\n"
        "  Writes each FILE.msh as the viewer draws it: binary glTF (.glb, the default), text glTF (.gltf with\n"
        "  a .bin and the texture NAME-rainbow.png) or OBJ (.obj with an .mtl and the texture NAME-rainbow.png),\n"
        "  keeping in glTF extras all that brings it back unchanged; and each FILE.glb, .gltf or .obj as .msh.\n"
        "  OUT names the output file for one FILE (its extension chooses the format when --format is not\n"
        "  given), or a folder: an existing one, one ending in /, or the one for several FILEs. By default\n"
        "  each output goes beside its FILE. Every file is written whole or not at all.\n"
        "  --base ORIGINAL.msh  merges one edited FILE (.glb, .gltf or .obj) into the .msh it was made from:\n"
        "             what the edit does not carry (flags, matrices, lists, untouched geometry) comes from\n"
        "             ORIGINAL, matched by the path of names from the root, and each change is listed on\n"
        "             standard output (changed:, new:, deleted:, unchanged:). OUT may be ORIGINAL itself.\n"
        "  --help     this text;  --version  the version\n"
        "exit status: 0 all written, 1 written with warnings, 2 some file not loaded or not written, 64 bad usage\n";
}

int main (int argc, char* argv[])
{
    standardOutputWasOpen();
    std::optional<ExportFormat> format;
    juce::String output, baseName;

    const auto line = readCommandLine (argc, argv, "mshconvert", usageText, {
        { "--format", true, [&format] (const juce::String& value)
          {
              format = exportFormatNamed (value);
              return format.has_value() ? juce::String() : juce::String ("glb, gltf, obj or msh");
          } },
        { "-o", true, [&output] (const juce::String& value)
          {
              output = value;
              return value.isEmpty() ? "a file or folder name" : juce::String();
          } },
        { "--base", true, [&baseName] (const juce::String& value)
          {
              baseName = value;
              return value.isEmpty() ? "the .msh file the edited one was made from" : juce::String();
          } } });

    if (line.exitStatus.has_value())
        return *line.exitStatus;

    if (line.operands.isEmpty())
        return std::cerr << "mshconvert: no FILE given\n" << usageText, usageStatus;

    const auto cwd = juce::File::getCurrentWorkingDirectory();

    if (baseName.isNotEmpty() && (line.operands.size() != 1 || ! isImportable (cwd.getChildFile (line.operands[0]))))
        return std::cerr << "mshconvert: --base takes one FILE, a .glb, .gltf or .obj\n" << usageText, usageStatus;

    const auto plan = planConversions (line.operands, output, format, cwd);

    if (plan.error.isNotEmpty())
        return std::cerr << "mshconvert: " << plan.error << "\n", 2;

    if (plan.folderToMake != juce::File())
        if (const auto made = plan.folderToMake.createDirectory(); made.failed())
            return std::cerr << "mshconvert: cannot make the folder " << plan.folderToMake.getFullPathName() << ": " << made.getErrorMessage() << "\n", 2;

    int status = 0;
    MshMesh base;

    // The file an edit is merged into is read whole first, so the merge may replace it.
    if (baseName.isNotEmpty() && ! base.loadFromFile (cwd.getChildFile (baseName), [&] (const MshWarning& w)
        {
            std::cerr << "mshconvert: " << baseName << ": warning: wrong end marker at byte " << w.offset << "\n";
            status = 1;
        }))
        return std::cerr << "mshconvert: " << baseName << ": " << base.getLoadError() << "\n", 2;

    for (size_t i = 0; i < plan.outputs.size(); ++i)
    {
        const auto& input = line.operands[(int) i];
        MshMesh mesh;
        const auto& source = plan.outputs[i].input;
        juce::StringArray changes;

        if (isImportable (source))
        {
            const auto outcome = importMesh (source, mesh, baseName.isNotEmpty() ? &base : nullptr);

            for (auto& warning : outcome.warnings)
                std::cerr << "mshconvert: " << input << ": warning: " << warning << "\n";

            status = juce::jmax (status, outcome.warnings.isEmpty() ? 0 : 1);

            if (outcome.error.isNotEmpty())
            {
                std::cerr << "mshconvert: " << input << ": " << outcome.error << "\n";
                status = 2;
                continue;
            }

            changes = outcome.changes;
        }
        else if (! mesh.loadFromFile (source, [&] (const MshWarning& w)
                 {
                     std::cerr << "mshconvert: " << input << ": warning: wrong end marker at byte " << w.offset << "\n";
                     status = juce::jmax (status, 1);
                 }))
        {
            std::cerr << "mshconvert: " << input << ": " << mesh.getLoadError() << "\n";
            status = 2;
            continue;
        }

        if (const auto problem = exportMesh (mesh, plan.outputs[i].target, plan.outputs[i].format); problem.isNotEmpty())
        {
            std::cerr << "mshconvert: " << input << ": " << problem << "\n";
            status = 2;
        }
        else if (! changes.isEmpty() && ! printToStandardOutput ("mshconvert", changes.joinIntoString ("\n").toStdString() + "\n"))
        {
            status = 2;
        }
    }

    return status;
}
