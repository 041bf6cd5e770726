// Tolmar MSH Viewer - geometry as other programs hold it, made into objects of the model.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "MeshImport.h"

#include <array>

// The readers of each format (see importMesh).
Expected<ImportReport> importGltf (const juce::File& source, MshMesh& mesh, MshMesh* base);
Expected<ImportReport> importObj (const juce::File& source, MshMesh& mesh, MshMesh* base);

struct ImportedGeometry
{
    std::vector<std::array<float, 3>> positions, normals;   // normals: none, or one a position
    std::vector<std::array<float, 2>> uvs;                   // none, or one a position
    std::vector<juce::uint32> indices;                       // three a triangle, each below the positions' count
};

// The object's vertices and indices from the geometry: texture coordinates 0 where there are none,
// normals computed from the triangles where there are none, every vertex in its order. Past 65,535
// vertices (all a 16-bit index reaches) the object takes the triangles up to that, with the vertices they
// use, and each further part goes to a new child of it, placed with it and named after it with " 2",
// " 3", ...; returns how many parts there were.
size_t putGeometry (MshObject& object, const ImportedGeometry& geometry);

// Leaves out the triangles with a corner whose position or texture coordinate is not a finite number, as
// the export does, and every normal when one that is kept is not finite (they are made from the
// triangles then): how many triangles went.
size_t leaveOutNonFinite (ImportedGeometry& geometry);

// The object's name from another program's text: a failure when the format cannot hold it, a warning
// when a character has no 8-bit code (it becomes '?').
Expected<void> nameObject (MshObject& object, const juce::String& name, ImportReport& report);

// A failure for a name longer than a .msh name can be (one byte a character).
Expected<void> nameFits (const juce::String& name);

// Header words 0, 18 and 19, which place the viewer's start camera, set so everything drawn is in view.
void placeCameraToSeeAll (MshMesh& mesh);

// An identity matrix with the translation given.
std::array<float, 16> translationMatrix (float x, float y, float z);
