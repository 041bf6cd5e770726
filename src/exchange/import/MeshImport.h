// Tolmar MSH Viewer - glTF 2.0 and Wavefront OBJ read into the mesh model, to be written as .msh.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/Expected.h"
#include "msh/MshModel.h"

// What an import did beside reading the file.
struct ImportReport
{
    std::vector<MshWarning> warnings;   // what was left out or changed on the way
    juce::StringArray changes;          // with a base, what changed against it: "changed: turret (geometry)",
                                        // "new: crate", "deleted: lamp", and last "unchanged: 6 objects"

    void warn (const juce::String& message)     { warnings.push_back ({ MshWarning::Kind::import, 0, 0, {}, message }); }
};

// Reads a .glb or .gltf (through tinygltf) or an .obj file into mesh, which is emptied first.
//
// glTF nodes become objects in the same hierarchy (the first root of the scene is the root, the others
// its siblings), named by the node. A node's placement becomes the translation in matrix elements 12-14;
// rotation and scale, its own and its parents', are baked into its positions and normals, as the view
// places objects by translation only. Triangles, strips and fans become triangles; points and lines are
// left out with a warning; the primitives of one mesh make one object. Missing normals are computed from
// the triangles, missing texture coordinates are 0. An object holds at most 65,535 vertices: more are
// split into consecutive children. OBJ: each o or g becomes an object under one root named after the file.
//
// What this program's own export kept in extras comes back as it was: the header, the lists, the trailing
// bytes, each object's place among its siblings, its name where an editor changed it, its matrix, its
// lists, and its raw vertex and index lists wherever its geometry still has the shape it was exported
// with (see showsSameShape). A translation that agrees with the kept matrix keeps the kept bits.
//
// base, when given, is the .msh file the edited one was made from, and its lists are moved into mesh.
// Objects are matched by their path of names from the root (OBJ, which has no hierarchy: by name, and
// the base's hierarchy stays): a matched object takes from the base what the file does not say, and its
// geometry where the shape is the base's; the header and the file's lists are the base's. Nodes that
// match nothing are new objects after their siblings; base objects that nothing matches are gone. The
// report's changes tell each of these. Without a base, what was set to defaults for want of the kept
// data is said in warnings.
Expected<ImportReport> importMesh (const juce::File& source, MshMesh& mesh, MshMesh* base = nullptr);
// Whether importMesh reads files with this one's extension.
bool isImportable (const juce::File& file);
