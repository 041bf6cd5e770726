// Tolmar MSH Viewer - a .glb or .gltf file read into tinygltf's model, lean enough for files of hundreds
// of megabytes of kept geometry.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/Expected.h"

#include <tiny_gltf.h>

#include <optional>

struct GltfFile
{
    tinygltf::Model model;

    // The raw geometry our export keeps in extras is taken out of the JSON before tinygltf parses it (it
    // would hold it twice, as JSON and as its own values): each mshGeometry string becomes "#N", and
    // geometry[N] holds its bytes (nothing where it was not base64).
    std::vector<std::optional<std::vector<juce::uint8>>> geometry;

    juce::int64 otherFilesBytes = 0;   // read from the files the glTF names
};

// Reads a glTF file, binary or text: the binary chunk of a .glb goes to the model as it was read, and
// every file the glTF names is read as a regular file only.
Expected<GltfFile> readGltfFile (const juce::File& source);
