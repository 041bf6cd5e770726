// Tolmar MSH Viewer - mshconvert: .msh files as glTF 2.0 or Wavefront OBJ, for other programs.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "exchange/export/MeshExport.h"
#include "exchange/import/MeshImport.h"
#include "msh/MshReader.h"
#include "OutputPlan.h"
#include "ToolArguments.h"
#include "msh/SafeFiles.h"

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

namespace
{
    // One input converted as the plan says: 0, 1 with warnings, 2 not written.
    int convert (const juce::String& input, const PlannedOutput& planned, MshMesh* base)
    {
        MshMesh mesh;
        juce::StringArray changes;
        int status = 0;
        const auto tell = [&input] (const juce::String& what) { std::cerr << "mshconvert: " << input << ": " << what << "\n"; };

        if (isImportable (planned.input))
        {
            const auto imported = importMesh (planned.input, mesh, base);

            if (! imported)
            {
                tell (imported.message());
                return 2;
            }

            for (auto& warning : imported->warnings)
                tell ("warning: " + warning.message);

            status = imported->warnings.empty() ? 0 : 1;
            changes = imported->changes;
        }
        else if (const auto loaded = mshLoadFile (mesh, planned.input, [&] (const MshWarning& w)
                 {
                     tell ("warning: wrong end marker at byte " + juce::String (w.offset));
                     status = 1;
                 }); ! loaded)
        {
            tell (loaded.message());
            return 2;
        }

        if (const auto exported = exportMesh (mesh, planned.target, planned.format); ! exported)
        {
            tell (exported.message());
            return 2;
        }

        if (const auto printed = changes.isEmpty() ? Expected<void>() : printToStandardOutput (changes.joinIntoString ("\n").toStdString() + "\n"); ! printed)
        {
            std::cerr << "mshconvert: " << printed.message() << "\n";
            return 2;
        }

        return status;
    }

    // The folders from folder up that do not exist yet, deepest first.
    juce::Array<juce::File> missingFolders (juce::File folder)
    {
        juce::Array<juce::File> missing;

        for (; ! folder.exists() && folder != folder.getParentDirectory(); folder = folder.getParentDirectory())
            missing.add (folder);

        return missing;
    }

    int run (int argc, char* argv[])
    {
        std::optional<MeshFormat> format;
        juce::String output, baseName;
        const auto nonEmpty = [] (juce::String& into, const char* shouldBe)
        {
            return [&into, shouldBe] (const juce::String& value) -> Expected<void>
            {
                into = value;
                return value.isEmpty() ? Expected<void> (badValue (shouldBe)) : Expected<void>();
            };
        };

        const auto line = readCommandLine (argc, argv, "mshconvert", usageText, {
            { "--format", true, [&format] (const juce::String& value) -> Expected<void>
              {
                  format = meshFormatNamed (value);
                  return format.has_value() ? Expected<void>() : Expected<void> (badValue ("glb, gltf, obj or msh"));
              } },
            { "-o", true, nonEmpty (output, "a file or folder name") },
            { "--base", true, nonEmpty (baseName, "the .msh file the edited one was made from") } });

        if (line.exitStatus.has_value())
            return *line.exitStatus;

        const auto cwd = juce::File::getCurrentWorkingDirectory();

        if (line.operands.isEmpty() || (baseName.isNotEmpty() && (line.operands.size() != 1 || ! isImportable (cwd.getChildFile (line.operands[0])))))
        {
            std::cerr << "mshconvert: " << (line.operands.isEmpty() ? "no FILE given" : "--base takes one FILE, a .glb, .gltf or .obj") << "\n" << usageText;
            return usageStatus;
        }

        const auto plan = planConversions (line.operands, output, format, cwd);

        if (! plan)
        {
            std::cerr << "mshconvert: " << plan.message() << "\n";
            return plan.failure().kind == Failure::Kind::usage ? usageStatus : 2;
        }

        const auto made = missingFolders (plan->folderToMake);

        if (plan->folderToMake != juce::File())
        {
            if (const auto result = plan->folderToMake.createDirectory(); result.failed())
            {
                std::cerr << "mshconvert: cannot make the folder " << plan->folderToMake.getFullPathName() << ": " << result.getErrorMessage() << "\n";
                return 2;
            }
        }

        // What a killed run of ours left beside the outputs long ago goes now.
        juce::Array<juce::File> folders;
        for (const auto& planned : plan->outputs)
            folders.addIfNotAlreadyThere (planned.target.getParentDirectory());
        for (const auto& folder : folders)
            removeStaleTemporaries (folder);

        int status = 0;
        MshMesh base;

        // The file an edit is merged into is read whole first, so the merge may replace it.
        if (baseName.isNotEmpty())
        {
            if (const auto loaded = mshLoadFile (base, cwd.getChildFile (baseName), [&] (const MshWarning& w)
                {
                    std::cerr << "mshconvert: " << baseName << ": warning: wrong end marker at byte " << w.offset << "\n";
                    status = 1;
                }); ! loaded)
            {
                std::cerr << "mshconvert: " << baseName << ": " << loaded.message() << "\n";
                return 2;
            }
        }

        for (size_t i = 0; i < plan->outputs.size(); ++i)
        {
            try
            {
                status = juce::jmax (status, convert (line.operands[(int) i], plan->outputs[i], baseName.isNotEmpty() ? &base : nullptr));
            }
            catch (const std::bad_alloc&)
            {
                std::cerr << "mshconvert: " << line.operands[(int) i] << ": not enough memory to convert it\n";
                status = 2;
            }
        }

        // The folders made for outputs that were not written go again.
        for (const auto& folder : made)
            if (folder.isDirectory() && folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories) == 0)
                folder.deleteFile();

        return status;
    }
}

int main (int argc, char* argv[])
{
    standardOutputWasOpen();

    try
    {
        return run (argc, argv);
    }
    catch (const std::bad_alloc&)
    {
        std::cerr << "mshconvert: not enough memory\n";
        return 2;
    }
}
