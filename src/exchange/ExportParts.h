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

// The names of what a glTF export keeps of the model in extras, beyond its geometry: the file's header,
// lists and trailing bytes on the scene; an object's place in the file, its full matrix, its other lists
// and its raw vertex and index lists, each as base64 of the bytes the .msh format holds them as, and its
// name where an editor would not keep it as it is.
namespace GltfExtras
{
    constexpr const char* header = "mshHeader";
    constexpr const char* lists = "mshLists";
    constexpr const char* trailing = "mshTrailingBytes";
    constexpr const char* place = "mshIndex";               // depth first, the root 0
    constexpr const char* name = "mshName";
    constexpr const char* matrix = "mshMatrix";
    constexpr const char* objectLists = "mshObjectLists";   // list4, list16, quad entries
    constexpr const char* geometry = "mshGeometry";         // vertices, indices
}

// The rainbow texture as PNG bytes, first row first, as the view uploads it.
std::vector<juce::uint8> rainbowPng();
