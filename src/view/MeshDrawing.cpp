// Tolmar MSH Viewer - the GL state, the frame and the drawing of the objects, in plain OpenGL 1.1 + GLU.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshDrawing.h"
#include "msh/MshGeometry.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

#ifndef GL_BGRA_EXT
 #define GL_BGRA_EXT 0x80E1
#endif


void setUpViewState()
{
    // Undo what a 2-D pass may have left behind.
    glDisable (GL_SCISSOR_TEST);
    glDisable (GL_STENCIL_TEST);
    glDisable (GL_ALPHA_TEST);
    glDisable (GL_CULL_FACE);
    glDisable (GL_LIGHTING);
    glDepthMask (GL_TRUE);
    glColorMask (GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBindTexture (GL_TEXTURE_2D, 0);
    glTexEnvi (GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    glClearDepth (1.0);
    glDepthFunc (GL_LESS);
    glEnable (GL_DEPTH_TEST);
    glEnable (GL_TEXTURE_2D);
    glEnable (GL_BLEND);
    glShadeModel (GL_SMOOTH);

    glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glPixelStorei (GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D (GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, rainbowTexels.data());

    glHint (GL_LINE_SMOOTH_HINT, GL_FASTEST);
    glHint (GL_POINT_SMOOTH_HINT, GL_FASTEST);
    glBlendFunc (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void renderFrame (const ViewCamera& camera, const MshObject* root, int width, int height, bool wireframe)
{
    setUpViewState();

    glClearColor (0.8f, 0.0f, 0.4f, 0.0f);
    glClear (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Nothing loaded, or a view with no height (its aspect ratio would divide by zero): background only.
    if (root == nullptr || width <= 0 || height <= 0)
        return;

    glMatrixMode (GL_PROJECTION);
    glLoadIdentity();
    gluPerspective (45.0, (double) width / (double) height, (double) camera.nearPlane, 2.0 * (double) camera.farthestDistance);

    glMatrixMode (GL_MODELVIEW);
    glLoadIdentity();
    glPushMatrix();
    glTranslatef (camera.pan[0], camera.pan[1], camera.distance);
    glPolygonMode (GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    glRotatef (camera.rotation[0], 1.0f, 0.0f, 0.0f);
    glRotatef (camera.rotation[1], 0.0f, 1.0f, 0.0f);
    glRotatef (camera.rotation[2], 0.0f, 0.0f, 1.0f);
    glTranslated (-camera.pivot[0], -camera.pivot[1], -camera.pivot[2]);
    drawObject (*root);
    glPopMatrix();
    glPolygonMode (GL_FRONT_AND_BACK, GL_FILL); // what JUCE's own painting expects
}

std::vector<juce::uint8> readFramePixels (int width, int height)
{
    const auto w = (size_t) std::max (width, 0), h = (size_t) std::max (height, 0);
    std::vector<juce::uint8> pixels (w * h * 4);
    glPixelStorei (GL_PACK_ALIGNMENT, 1);
    glReadPixels (0, 0, (GLsizei) w, (GLsizei) h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());

    // GL's rows run bottom-up.
    for (size_t row = 0; row < h / 2; ++row)
        std::swap_ranges (pixels.begin() + (std::ptrdiff_t) (row * w * 4), pixels.begin() + (std::ptrdiff_t) ((row + 1) * w * 4),
                          pixels.begin() + (std::ptrdiff_t) ((h - 1 - row) * w * 4));

    return pixels;
}

namespace
{
    void drawTriangles (const MshObject& object)
    {
        glBegin (GL_TRIANGLES);

        // One colour for the whole object, from its own selection: the texture is multiplied by it.
        if (object.selected)
            glColor4f (1.0f, 0.5f, 0.5f, 1.0f);
        else
            glColor4f (1.0f, 1.0f, 1.0f, 0.8f);

        mshForEachDrawableTriangle (object, [] (const MshVertex& a, const MshVertex& b, const MshVertex& c)
        {
            // The vertex's floats lie x y z nx ny nz u v: each call takes its three (or two) in place.
            for (const auto* v : { &a, &b, &c })
            {
                glNormal3fv (&v->nx);
                glTexCoord2fv (&v->u);
                glVertex3fv (&v->x);
            }
        });

        glEnd();
    }
}

void drawObject (const MshObject& root)
{
    mshForEachPlacedObject (root, true, { 0, 0, 0 }, [] (const MshObject& object, double x, double y, double z)
    {
        glPushMatrix();
        glTranslated (x, y, z);
        drawTriangles (object);
        glPopMatrix();
    });
}
