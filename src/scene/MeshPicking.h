// Tolmar MSH Viewer - which object is under a point of the view: a ray against the drawn triangles.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/MshModel.h"
#include "DrawList.h"
#include "ViewCamera.h"

// The object whose drawn triangle lies nearest the eye under the point (x, y) of a view of width × height
// pixels, between the near and the far clipping planes, with the same projection, camera and placement
// as the drawing; nullptr over the background. root, its descendants and its siblings are looked at.
// Objects hidden from the view are not looked at.
const MshObject* pickObject (const ViewCamera& camera, const MshObject& root, double x, double y, int width, int height,
                             const HiddenObjects& hidden = {});
