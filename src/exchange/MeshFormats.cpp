// Tolmar MSH Viewer - the files the tools write: .msh, binary and text glTF, Wavefront OBJ.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshFormats.h"

std::optional<MeshFormat> meshFormatNamed (const juce::String& name)
{
    for (const auto format : { MeshFormat::msh, MeshFormat::glb, MeshFormat::gltf, MeshFormat::obj })
        if (name.equalsIgnoreCase (juce::String (extensionOf (format)).substring (1)))
            return format;

    return {};
}

const char* extensionOf (MeshFormat format)
{
    switch (format)
    {
        case MeshFormat::msh:  return ".msh";
        case MeshFormat::glb:  return ".glb";
        case MeshFormat::gltf: return ".gltf";
        case MeshFormat::obj:  return ".obj";
    }

    return "";
}

juce::Array<juce::File> filesOfSet (const juce::File& target, MeshFormat format)
{
    const auto texture = target.getSiblingFile (target.getFileNameWithoutExtension() + "-rainbow.png");

    switch (format)
    {
        case MeshFormat::msh:
        case MeshFormat::glb:  return { target };
        case MeshFormat::gltf: return { target.withFileExtension ("bin"), texture, target };
        case MeshFormat::obj:  return { target.withFileExtension ("mtl"), texture, target };
    }

    return { target };
}
