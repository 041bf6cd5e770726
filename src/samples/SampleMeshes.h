// Tolmar MSH Viewer - meshes built in code: the bundled sample, test fixtures, fuzzer seeds, benchmark files.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshModel.h"

// Shapes appended to an object's vertices and indices, centred on the object's origin, with texture
// coordinates that run 0 to 1 across each face (or around a round shape) so the rainbow texture shows.
void addBox (MshObject& object, float width, float height, float depth);
void addCylinder (MshObject& object, float radius, float length, int segments); // along X
void addSphere (MshObject& object, float radius, int rings, int segments);
void addQuad (MshObject& object, float width, float height);                    // in the XY plane

void setTranslation (MshObject& object, float x, float y, float z);

// Appends a new child (after any existing children) and returns it.
MshObject& addChild (MshObject& parent, const juce::String& name, juce::uint32 flags = 0);

// Sets header words 0, 18 and 19, which place the camera after a load.
void setCameraWords (MshMesh& mesh, float word0, float word18, float word19);

// The bundled example: a small vehicle of several objects placed by translations, a child of a child,
// an "hp_" object and objects with the collidable, two-sided, hidden and lit flags, ~600 triangles.
void buildSampleMesh (MshMesh& mesh);

// Every list of the format filled, optional blocks present and absent, pair sets of 0 to 2 pairs,
// Latin-1 names, an out-of-range index, and root -> A -> A1, root -> B, plus a sibling of the root.
void buildRichMesh (MshMesh& mesh);

// The sample with hostile objects added: positions and texture coordinates that are not numbers, normals
// that are zero or too long, translations that are not a number (with a payload, one beside the root),
// an object with nothing to draw, names with quotes, control characters and Latin-1.
void buildHostileMesh (MshMesh& mesh);

// A child chain (each object the only child of the one before) or a sibling chain under the root.
void buildDeepChain (MshMesh& mesh, int depth);
void buildLongChain (MshMesh& mesh, int length);

// count balls of 300 triangles in a cube of side 96 centred on the root, the camera words set to see
// them all: 30,000 make the benchmarks' 9,000,000-triangle file.
void buildBallBlock (MshMesh& mesh, int count);
