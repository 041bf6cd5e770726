// Tolmar MSH Viewer - what the viewer draws, as glTF 2.0, binary or text.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/Expected.h"
#include "msh/MshModel.h"

// Writes the mesh as a .glb, or a .gltf with a .bin and the texture beside it, every file whole or none of
// them. One node per object in the object hierarchy (the root and its siblings at the top), named by the
// object and moved by its translation; its mesh holds the triangles the view draws, less those with a
// corner whose position or texture coordinate is not a finite number. Normals that are not finite or zero
// are dropped for the whole object, the others made unit length. One opaque material with the rainbow
// texture as the view samples it, a two-sided one for objects flagged so; in extras what glTF does not
// carry (see GltfExtras). File names go into URIs percent-encoded.
Expected<void> writeGltf (const MshMesh& mesh, const juce::File& target, bool binary);
