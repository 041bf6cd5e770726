// Tolmar MSH Viewer - what the viewer draws, as glTF 2.0 (binary or text) or Wavefront OBJ.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshModel.h"

#include <optional>

enum class ExportFormat { glb, gltf, obj, msh };

// Writes the mesh to target (a .msh, byte for byte as the model holds it; a .glb; a .gltf with a .bin and the texture beside it; an .obj with an .mtl and
// the texture beside it), every file whole or none of them (see exportFiles). One node per object in the object hierarchy (the root and its siblings at the top),
// named by the object and moved by its translation; its mesh holds the triangles the view draws, less
// those with a corner whose position or texture coordinate is not a finite number. Normals that are not
// finite or zero are dropped for the whole object, the others made unit length. One opaque material with
// the rainbow texture as the view samples it, a two-sided one for objects flagged so; flags, the HP mark,
// valueA and valueB in each node's extras. OBJ has no hierarchy: its objects carry their placed positions.
// The mesh is emptied on the way, to keep memory near the file's size. An empty string, or why not.
juce::String exportMesh (MshMesh& mesh, const juce::File& target, ExportFormat format);

// Every file an export to target may write, target last: NAME.glb; NAME.bin, NAME-rainbow.png, NAME.gltf
// (no .bin when nothing is drawn); NAME.mtl, NAME-rainbow.png, NAME.obj.
juce::Array<juce::File> exportFiles (const juce::File& target, ExportFormat format);

// The format an extension names ("glb", "gltf", "obj", "msh", in any letter case), or nothing.
std::optional<ExportFormat> exportFormatNamed (const juce::String& name);
const char* exportExtension (ExportFormat format);  // ".glb", ".gltf", ".obj", ".msh"
