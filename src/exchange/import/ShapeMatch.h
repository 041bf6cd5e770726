// Tolmar MSH Viewer - whether geometry saved again by another program is still the shape it was given.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "ImportGeometry.h"

// True when shown holds the triangles an export of original shows (see exportPart), judged as a set of
// triangles whose corners are (position, normal, texture coordinate): welded or not, in any order, each
// triangle's corners turned round but never flipped. What a re-saver's float noise stays inside passes:
// the sign of zero is ignored; positions match exactly as float32; normals within 0.1 degree, except at
// the corners of triangles with no area, which have no direction to keep (and not at all where the export
// shows no normals); texture coordinates within 1e-6 (relative, past 1). The original's positions are
// moved by offset first, in double and rounded to float32, as an OBJ export places them.
bool showsSameShape (const MshObject& original, const ImportedGeometry& shown, std::array<double, 3> offset = { 0, 0, 0 });
