// Tolmar MSH Viewer - a mesh written in any of the formats the tools write.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "exchange/MeshFormats.h"
#include "msh/Expected.h"
#include "msh/MshModel.h"

// Writes the mesh to target in the format given (see filesOfSet), every file whole or none of them: a
// .msh byte for byte as the model holds it; glTF or OBJ as the view draws it (see writeGltf, writeObj).
// The mesh stays as it was.
Expected<void> exportMesh (const MshMesh& mesh, const juce::File& target, MeshFormat format);
