// Tolmar MSH Viewer - the GL state, the frame and the drawing of the objects, in plain OpenGL 1.1 + GLU.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
//
// This header names no GL type, and its source includes <GL/gl.h> and no JUCE GL header, so the same
// object code draws into JUCE's context in the viewer and into an off-screen EGL context in mshrender and tests.
#pragma once

#include "msh/MshModel.h"
#include "RainbowTexture.h"
#include "ViewCamera.h"

#include <array>


// Depth test, 2-D texturing with the rainbow texture in the default texture (name 0), blending
// (source alpha, one minus source alpha), smooth shading, no lighting. Whatever else drew into the
// context since (JUCE paints its components into it after each frame) is undone.
void setUpViewState();

// One frame into the current context: the set-up, the background colour (0.8, 0, 0.4), and, when root is
// given and the view has a height, the perspective, the camera and the objects. width and height are the
// view's size in pixels.
// With wireframe, every drawn triangle is drawn as its three edges, in the same colours.
void renderFrame (const ViewCamera& camera, const MshObject* root, int width, int height, bool wireframe = false);

// The frame just drawn, width × height pixels as red, green, blue, alpha bytes, top row first.
std::vector<juce::uint8> readFramePixels (int width, int height);

// Draws root, its descendants and every sibling that follows it, each moved by its own translation
// (matrix elements 12-14) added to its parent's. Translations are summed here rather than on the GL matrix
// stack, and the tree is walked with an explicit stack, so any depth draws. A triangle with a corner not
// below its object's vertex count is skipped whole; one or two trailing indices draw nothing.
void drawObject (const MshObject& root);
