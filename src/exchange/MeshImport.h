// Tolmar MSH Viewer - glTF 2.0 and Wavefront OBJ read into the mesh model, to be written as .msh.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshModel.h"

struct ImportOutcome
{
    juce::String error;           // why the file could not be read; empty when it was
    juce::StringArray warnings;   // what was left out or changed on the way
};

// Reads a .glb or .gltf (through tinygltf) or an .obj file into mesh, which is emptied first.
//
// glTF nodes become objects in the same hierarchy (the first root of the scene is the root, the others
// its siblings), named by the node. A node's placement becomes the translation in matrix elements 12-14;
// rotation and scale, its own and its parents', are baked into its positions and normals, as the view
// places objects by translation only. Triangles, strips and fans become triangles; points and lines are
// left out with a warning; the primitives of one mesh make one object. Missing normals are computed from
// the triangles, missing texture coordinates are 0. An object holds at most 65,535 vertices: more are
// split into consecutive children. What this program's own export kept in extras comes back as it was:
// the header, the lists, the trailing bytes, each object's matrix and lists, and its raw vertex and index
// lists where the geometry still carries the fingerprint it was exported with.
//
// OBJ: each o or g becomes an object under one root named after the file.
ImportOutcome importMesh (const juce::File& source, MshMesh& mesh);

// Whether importMesh reads files with this one's extension.
bool isImportable (const juce::File& file);
