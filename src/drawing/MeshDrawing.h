// Tolmar MSH Viewer - the GL state, the frame and the drawing of the objects, in plain OpenGL 1.1 + GLU.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
//
// This header names no GL type, and its source includes <GL/gl.h> and no JUCE GL header, so the same
// object code draws into JUCE's context in the viewer and into an off-screen EGL context in mshrender and tests.
#pragma once

#include "msh/MshModel.h"
#include "scene/DrawList.h"
#include "scene/ReducedScene.h"
#include "exchange/RainbowTexture.h"
#include "scene/ViewCamera.h"

#include <array>
#include <functional>


// Depth test, 2-D texturing with the rainbow texture in the default texture (name 0), blending
// (source alpha, one minus source alpha), smooth shading, no lighting. Whatever else drew into the
// context since (JUCE paints its components into it after each frame) is undone.
// With a texture given, the rainbow lives in that texture object of the context: made and uploaded when it
// is 0 (or not a texture of this context), bound otherwise. Without one it is uploaded into the default
// texture every time, which a frame of many draw calls pays for: llvmpipe drew them a third slower.
void setUpViewState (unsigned int* texture = nullptr);

// How a frame draws the list: all of it by default.
// How the user asked the triangles to be drawn.
struct DrawStyle
{
    bool wireframe = false;                  // every drawn triangle as its three edges, in the same colours
    bool hullsAsWireframe = false;           // the same for the objects flagged hidden in the game alone
    bool headlight = false;                  // shaded from the normals by a light at the eye, the texture kept

    bool operator== (const DrawStyle& o) const noexcept { return wireframe == o.wireframe && hullsAsWireframe == o.hullsAsWireframe && headlight == o.headlight; }
};

struct FrameOptions
{
    DrawStyle style;
    const MshObject* highlighted = nullptr;  // drawn reddish and opaque
    size_t step = 1;                         // every step-th triangle of each object (see reducedStep)
    std::function<bool (size_t drawn)> stop; // asked every few thousand triangles drawn: true gives the frame up
    unsigned int* texture = nullptr;         // the context's rainbow texture object, kept by the caller (see setUpViewState)
    const ReducedScene* reduced = nullptr;   // drawn instead, when step > 1, if made from the list drawn
};

// One frame into the current context: the set-up, the background colour (0.8, 0, 0.4), and, when a list
// is given and the view has a height, the perspective, the camera and the objects. width and height are
// the view's size in pixels. False when stop gave the frame up part way.
bool renderFrame (const ViewCamera& camera, const DrawList* list, int width, int height, const FrameOptions& options = {});

// The same frame of a hierarchy, for tools and tests, the object given (if any) highlighted.
void renderFrame (const ViewCamera& camera, const MshObject* root, int width, int height, bool wireframe = false, const MshObject* highlighted = nullptr);

// The frame just drawn, width × height pixels as red, green, blue, alpha bytes, top row first.
std::vector<juce::uint8> readFramePixels (int width, int height);
