// Tolmar MSH Viewer - where the converters' outputs go, worked out and checked before anything is written.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "OutputPlan.h"
#include "exchange/MeshImport.h"
#include "msh/FileSystem.h"
#include "msh/SafeFiles.h"

#include <unordered_map>

namespace
{
    using Kind = FileSystem::Info::Kind;

    Kind kindOf (const juce::File& file)
    {
        FileSystem::Info info;
        FileSystem::lookUp (file, true, info);
        return info.kind;
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
            juce::File resolved;
            path = FileSystem::comparablePath (resolveOutputPath (file, resolved).wasOk() ? resolved : file);
            FileSystem::Info info;

            if (FileSystem::lookUp (file, true, info).wasOk() && info.kind != Kind::missing)
                node = juce::String::toHexString ((juce::int64) info.device) + ":" + juce::String::toHexString ((juce::int64) info.identity);
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

juce::String checkOutputs (const std::vector<PlannedOutput>& outputs)
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
                return file.getFullPathName() + ": would overwrite the input " + reader->input.getFullPathName();

            if (const auto* writer = written.find (identity))
                return file.getFullPathName() + ": written for both " + writer->input.getFullPathName() + " and "
                     + output.input.getFullPathName();

            written.add (identity, &output);
        }
    }

    return {};
}

OutputPlan planConversions (const juce::StringArray& inputs, const juce::String& output,
                            std::optional<ExportFormat> format, const juce::File& cwd)
{
    OutputPlan plan;
    const auto out = cwd.getChildFile (output);
    const auto outKind = output.isEmpty() ? Kind::missing : kindOf (out);
    const auto intoFolder = output.isNotEmpty() && (outKind == Kind::directory || namesAFolder (output) || inputs.size() > 1);

    if (output.isNotEmpty() && ! intoFolder)
    {
        const auto extension = out.getFileExtension().fromFirstOccurrenceOf (".", false, false);
        const auto named = exportFormatNamed (extension);
        plan.usageFault = true;

        if (extension.isNotEmpty() && ! named.has_value())
            return plan.error = output + ": names no format written here (.glb, .gltf, .obj or .msh)", plan;

        if (format.has_value() && named.has_value() && *named != *format)
            return plan.error = output + ": the extension does not match --format " + juce::String (exportExtension (*format)).substring (1), plan;

        plan.usageFault = false;
        format = format.has_value() ? format : named;
    }

    if (intoFolder && outKind != Kind::directory)
    {
        if (outKind != Kind::missing)
            return plan.error = output + ": is not a directory", plan;

        plan.folderToMake = out;
    }

    for (auto& input : inputs)
    {
        // Meshes go out as glTF, and other programs' files come back as meshes, unless told otherwise.
        const auto source = cwd.getChildFile (input);
        const auto chosen = format.value_or (isImportable (source) ? ExportFormat::msh : ExportFormat::glb);
        const auto name = source.getFileNameWithoutExtension() + exportExtension (chosen);
        const auto target = output.isEmpty() ? source.getSiblingFile (name) : intoFolder ? out.getChildFile (name) : out;
        plan.outputs.push_back ({ source, target, exportFiles (target, chosen), chosen });
    }

    plan.error = checkOutputs (plan.outputs);
    return plan;
}

OutputPlan planPicture (const juce::String& input, const juce::String& output, const juce::File& cwd)
{
    OutputPlan plan;
    const auto source = cwd.getChildFile (input);
    auto target = cwd.getChildFile (output);

    if (kindOf (target) == Kind::directory)
        target = target.getChildFile (source.getFileNameWithoutExtension() + ".png");

    plan.outputs.push_back ({ source, target, { target } });
    plan.error = checkOutputs (plan.outputs);
    return plan;
}
