// Tolmar MSH Viewer - where the converters' outputs go, worked out and checked before anything is written.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "OutputPlan.h"
#include "exchange/import/MeshImport.h"
#include "msh/FileSystem.h"
#include "msh/SafeFiles.h"

#include <unordered_map>

namespace
{
    using Kind = FileSystem::Info::Kind;

    // What stands at a path, as far as it can be told (nothing, where it cannot).
    Kind kindOf (const juce::File& file)
    {
        const auto info = FileSystem::lookUp (file, true);
        return info ? info->kind : Kind::missing;
    }

    bool namesAFolder (const juce::String& text)
    {
        return text.endsWithChar ('/') || text.endsWithChar (juce::File::getSeparatorChar());
    }

    // A file by its path (links resolved), and by what the system knows it as when it exists.
    struct Identity
    {
        explicit Identity (const juce::File& file)
        {
            const auto resolved = resolveOutputPath (file);
            path = FileSystem::comparablePath (resolved ? *resolved : file);

            if (const auto info = FileSystem::lookUp (file, true); info && info->kind != Kind::missing)
                node = juce::String::toHexString ((juce::int64) info->device) + ":" + juce::String::toHexString ((juce::int64) info->identity);
        }

        juce::String path, node;
    };

    // Identities seen so far, with what each stands for.
    struct Seen
    {
        const PlannedOutput* find (const Identity& identity) const
        {
            if (auto found = paths.find (identity.path); found != paths.end())
                return found->second;

            auto found = nodes.find (identity.node);
            return identity.node.isNotEmpty() && found != nodes.end() ? found->second : nullptr;
        }

        void add (const Identity& identity, const PlannedOutput* output)
        {
            paths.emplace (identity.path, output);

            if (identity.node.isNotEmpty())
                nodes.emplace (identity.node, output);
        }

        std::unordered_map<juce::String, const PlannedOutput*> paths, nodes;
    };
}

Expected<void> checkOutputs (const std::vector<PlannedOutput>& outputs)
{
    Seen inputs, written;

    for (auto& output : outputs)
        inputs.add (Identity (output.input), &output);

    for (auto& output : outputs)
    {
        for (auto& file : output.files)
        {
            const Identity identity (file);

            if (const auto* reader = inputs.find (identity))
                return Failure { Failure::Kind::conflict, file.getFullPathName() + ": would overwrite the input " + reader->input.getFullPathName() };

            if (const auto* writer = written.find (identity))
                return Failure { Failure::Kind::conflict, file.getFullPathName() + ": written for both " + writer->input.getFullPathName() + " and "
                                                       + output.input.getFullPathName() };

            written.add (identity, &output);
        }
    }

    return {};
}

Expected<OutputPlan> planConversions (const juce::StringArray& inputs, const juce::String& output,
                                      std::optional<MeshFormat> format, const juce::File& cwd)
{
    OutputPlan plan;
    const auto out = cwd.getChildFile (output);
    const auto outKind = output.isEmpty() ? Kind::missing : kindOf (out);
    const auto intoFolder = output.isNotEmpty() && (outKind == Kind::directory || namesAFolder (output) || inputs.size() > 1);

    if (output.isNotEmpty() && ! intoFolder)
    {
        const auto extension = out.getFileExtension().fromFirstOccurrenceOf (".", false, false);
        const auto named = meshFormatNamed (extension);

        if (extension.isNotEmpty() && ! named.has_value())
            return Failure { Failure::Kind::usage, output + ": names no format written here (.glb, .gltf, .obj or .msh)" };

        if (format.has_value() && named.has_value() && *named != *format)
            return Failure { Failure::Kind::usage, output + ": the extension does not match --format " + juce::String (extensionOf (*format)).substring (1) };

        format = format.has_value() ? format : named;
    }

    if (intoFolder && outKind != Kind::directory)
    {
        if (outKind != Kind::missing)
            return Failure { Failure::Kind::notRegular, output + ": is not a directory" };

        plan.folderToMake = out;
    }

    for (auto& input : inputs)
    {
        // Meshes go out as glTF, and other programs' files come back as meshes, unless told otherwise.
        const auto source = cwd.getChildFile (input);
        const auto chosen = format.value_or (isImportable (source) ? MeshFormat::msh : MeshFormat::glb);
        const auto name = source.getFileNameWithoutExtension() + extensionOf (chosen);
        const auto target = output.isEmpty() ? source.getSiblingFile (name) : intoFolder ? out.getChildFile (name) : out;
        plan.outputs.push_back ({ source, target, filesOfSet (target, chosen), chosen });
    }

    if (auto checked = checkOutputs (plan.outputs); ! checked)
        return checked.failure();

    return plan;
}

Expected<OutputPlan> planPicture (const juce::String& input, const juce::String& output, const juce::File& cwd)
{
    OutputPlan plan;
    const auto source = cwd.getChildFile (input);
    auto target = cwd.getChildFile (output);

    if (kindOf (target) == Kind::directory)
        target = target.getChildFile (source.getFileNameWithoutExtension() + ".png");

    plan.outputs.push_back ({ source, target, { target }, MeshFormat::glb });

    if (auto checked = checkOutputs (plan.outputs); ! checked)
        return checked.failure();

    return plan;
}
