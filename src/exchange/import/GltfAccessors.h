// Tolmar MSH Viewer - the values of glTF accessors, checked against the bytes that hold them.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/Expected.h"

#include <tiny_gltf.h>

// The values of accessor index of model, components an element: floats (integers as they are, or
// normalized to -1..1 or 0..1 where the accessor says so), or unsigned integers for indices. Every byte
// read is checked to lie in its buffer view and buffer; sparse values are put in place. A failure for an
// accessor that is missing, of another shape, or claims more than its bytes hold.
Expected<std::vector<float>> readValues (const tinygltf::Model& model, int index, int components);
Expected<std::vector<juce::uint32>> readIndices (const tinygltf::Model& model, int index);

// The bytes reading accessor index would take in memory, as floats (for a file's memory budget).
juce::uint64 accessorClaim (const tinygltf::Model& model, int index);
