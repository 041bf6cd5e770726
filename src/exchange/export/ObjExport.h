// Tolmar MSH Viewer - what the viewer draws, as Wavefront OBJ with its material and texture.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/Expected.h"
#include "msh/MshModel.h"

// Writes the mesh as an .obj with an .mtl and the texture beside it, every file whole or none of them.
// OBJ has no hierarchy: each object with triangles to draw is an "o" of its own, its vertices placed by
// the translations down to it (one that is not a number moves nothing, as in glTF).
Expected<void> writeObj (const MshMesh& mesh, const juce::File& target);
