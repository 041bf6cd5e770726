// Tolmar MSH Viewer - what the viewer draws, as glTF 2.0 (binary or text) or Wavefront OBJ.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshExport.h"
#include "ExportParts.h"
#include "msh/MshGeometry.h"
#include "msh/MshWriter.h"

#include <cmath>

juce::String exportMesh (MshMesh& mesh, const juce::File& target, ExportFormat format)
{
    if (format == ExportFormat::msh)
        return mshWriteToFile (mesh, target);

    return format == ExportFormat::obj ? writeObj (mesh, target) : writeGltf (mesh, target, format == ExportFormat::glb);
}

juce::Array<juce::File> exportFiles (const juce::File& target, ExportFormat format)
{
    const auto texture = target.getSiblingFile (target.getFileNameWithoutExtension() + "-rainbow.png");

    switch (format)
    {
        case ExportFormat::glb:
        case ExportFormat::msh:  return { target };
        case ExportFormat::gltf: return { target.withFileExtension ("bin"), texture, target };
        case ExportFormat::obj:  return { target.withFileExtension ("mtl"), texture, target };
    }

    return { target };
}

std::optional<ExportFormat> exportFormatNamed (const juce::String& name)
{
    for (const auto format : { ExportFormat::glb, ExportFormat::gltf, ExportFormat::obj, ExportFormat::msh })
        if (name.equalsIgnoreCase (juce::String (exportExtension (format)).substring (1)))
            return format;

    return {};
}

const char* exportExtension (ExportFormat format)
{
    return format == ExportFormat::glb ? ".glb" : format == ExportFormat::gltf ? ".gltf" : format == ExportFormat::obj ? ".obj" : ".msh";
}