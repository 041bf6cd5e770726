// Tolmar MSH Viewer - the files the tools write: .msh, binary and text glTF, Wavefront OBJ.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <optional>

enum class MeshFormat { msh, glb, gltf, obj };

// The format an extension names ("glb", "gltf", "obj", "msh", in any letter case), or nothing.
std::optional<MeshFormat> meshFormatNamed (const juce::String& name);

const char* extensionOf (MeshFormat format);  // ".msh", ".glb", ".gltf", ".obj"

// Every file a mesh written to target in a format takes, target last: NAME.msh; NAME.glb; NAME.bin,
// NAME-rainbow.png, NAME.gltf (no .bin when nothing is drawn); NAME.mtl, NAME-rainbow.png, NAME.obj.
juce::Array<juce::File> filesOfSet (const juce::File& target, MeshFormat format);
