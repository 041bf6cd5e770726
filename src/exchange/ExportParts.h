// Tolmar MSH Viewer - what an export holds of an object: the parts of glTF and OBJ writing they share.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshModel.h"

#include <array>
#include <vector>

// One object's share of what is drawn: its kept vertices (renumbered) and triangles.
struct ExportPart
{
    std::vector<const MshVertex*> vertices;
    std::vector<juce::uint32> indices;
    bool normals = true; // every kept normal could be made unit length
};

// The triangles the view draws, less those with a corner whose position or texture coordinate is not a
// finite number; normals that are not finite or zero drop the object's normals.
ExportPart exportPart (const MshObject& object);

// A vertex's normal made unit length (only for a part whose normals are kept).
std::array<float, 3> unitNormal (const MshVertex& v);

// True when glTF carries the object's vertex and index lists exactly as its part: every triangle drawn,
// every vertex used, in the order of first use, and every normal unit length already.
bool partIsExact (const MshObject& object, const ExportPart& part);

// A fingerprint of an object's geometry as glTF holds it, value by value (FNV-1a over the bits of 3
// positions, 2 texture coordinates and, where there are any, 3 normals a vertex, then the indices): taken
// on the way out, and again on the way in to tell whether the geometry was edited since.
juce::String geometryFingerprint (const float* positions, const float* uvs, const float* normals, size_t vertexCount,
                                  const juce::uint32* indices, size_t indexCount);

// The names of what a glTF export keeps of the model in extras, beyond its geometry: the file's header,
// lists and trailing bytes on the scene; an object's full matrix, its other lists and, where the glTF
// geometry cannot carry them exactly, its raw vertex and index lists with the fingerprint of what was
// exported instead. Each is base64 of the bytes the .msh format holds them as.
namespace GltfExtras
{
    constexpr const char* header = "mshHeader";
    constexpr const char* lists = "mshLists";
    constexpr const char* trailing = "mshTrailingBytes";
    constexpr const char* matrix = "mshMatrix";
    constexpr const char* objectLists = "mshObjectLists";   // list4, list16, quad entries
    constexpr const char* geometry = "mshGeometry";         // vertices, indices
    constexpr const char* fingerprint = "mshFingerprint";
}

// The rainbow texture as PNG bytes, first row first, as the view uploads it.
std::vector<juce::uint8> rainbowPng();

// The files of the formats, written by each writer: an empty string, or why not.
juce::String writeGltf (MshMesh& mesh, const juce::File& target, bool binary);
juce::String writeObj (MshMesh& mesh, const juce::File& target);
