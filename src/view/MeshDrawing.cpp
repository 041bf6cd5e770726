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

namespace
{
    // An object's colour, once for each vertex an object can have. Given per vertex, as glColor inside
    // glBegin gave it, the colour is interpolated across each triangle, which rounds a little differently
    // from one constant colour.
    using ColourArray = std::vector<std::array<GLfloat, 4>>;

    const ColourArray& colourArray (bool highlighted)
    {
        static const ColourArray plain (65536, { 1.0f, 1.0f, 1.0f, 0.8f }), reddish (65536, { 1.0f, 0.5f, 0.5f, 1.0f });
        return highlighted ? reddish : plain;
    }

    // Draws the list's items, each moved by its placement, through vertex arrays straight from the model.
    bool drawItems (const DrawList& list, const FrameOptions& options)
    {
        std::vector<juce::uint16> reduced;
        size_t sinceAsked = 0;
        constexpr size_t askEvery = 16384, callLimit = 21845; // triangles; a call's indices stay in 16 bits' range

        glEnableClientState (GL_VERTEX_ARRAY);
        glEnableClientState (GL_TEXTURE_COORD_ARRAY);
        glEnableClientState (GL_COLOR_ARRAY);

        for (const auto& item : list.items)
        {
            if (item.triangles == 0)
                continue;

            const juce::uint16* indices = item.indices;
            size_t triangles = item.triangles;

            if (options.step > 1)
            {
                reduced.clear();
                appendEveryStepTriangle (item, options.step, reduced);
                indices = reduced.data();
                triangles = reduced.size() / 3;
            }

            glPushMatrix();
            glTranslated (item.placement[0], item.placement[1], item.placement[2]);

            // One colour for the whole object, from the highlight: the texture is multiplied by it.
            glColorPointer (4, GL_FLOAT, 0, colourArray (item.object == options.highlighted).data());
            // The vertex's floats lie x y z nx ny nz u v.
            glVertexPointer (3, GL_FLOAT, sizeof (MshVertex), &item.vertices->x);
            glTexCoordPointer (2, GL_FLOAT, sizeof (MshVertex), &item.vertices->u);

            for (size_t done = 0; done < triangles;)
            {
                const auto count = std::min (triangles - done, callLimit);
                glDrawElements (GL_TRIANGLES, (GLsizei) (count * 3), GL_UNSIGNED_SHORT, indices + 3 * done);
                done += count;
                sinceAsked += count;

                if (sinceAsked >= askEvery && options.stop && options.stop())
                {
                    glPopMatrix();
                    return false;
                }

                sinceAsked %= askEvery;
            }

            glPopMatrix();
        }

        return true;
    }
}

bool renderFrame (const ViewCamera& camera, const DrawList* list, int width, int height, const FrameOptions& options)
{
    setUpViewState();

    glClearColor (0.8f, 0.0f, 0.4f, 0.0f);
    glClear (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Nothing loaded, or a view with no height (its aspect ratio would divide by zero): background only.
    if (list == nullptr || width <= 0 || height <= 0)
        return true;

    glMatrixMode (GL_PROJECTION);
    glLoadIdentity();
    gluPerspective (45.0, (double) width / (double) height, (double) camera.nearPlane, 2.0 * (double) camera.farthestDistance);

    glMatrixMode (GL_MODELVIEW);
    glLoadIdentity();
    glPushMatrix();
    glTranslatef (camera.pan[0], camera.pan[1], camera.distance);
    glPolygonMode (GL_FRONT_AND_BACK, options.wireframe ? GL_LINE : GL_FILL);
    glRotatef (camera.rotation[0], 1.0f, 0.0f, 0.0f);
    glRotatef (camera.rotation[1], 0.0f, 1.0f, 0.0f);
    glRotatef (camera.rotation[2], 0.0f, 0.0f, 1.0f);
    glTranslated (-camera.pivot[0], -camera.pivot[1], -camera.pivot[2]);
    const auto whole = drawItems (*list, options);
    glPopMatrix();

    // What JUCE's own painting expects.
    glDisableClientState (GL_VERTEX_ARRAY);
    glDisableClientState (GL_TEXTURE_COORD_ARRAY);
    glDisableClientState (GL_COLOR_ARRAY);
    glPolygonMode (GL_FRONT_AND_BACK, GL_FILL);
    return whole;
}

void renderFrame (const ViewCamera& camera, const MshObject* root, int width, int height, bool wireframe)
{
    if (root == nullptr)
    {
        renderFrame (camera, static_cast<const DrawList*> (nullptr), width, height);
        return;
    }

    const auto list = makeDrawList (*root);
    FrameOptions options;
    options.wireframe = wireframe;

    for (const auto& item : list.items)
        if (item.object->selected && options.highlighted == nullptr)
            options.highlighted = item.object;

    renderFrame (camera, &list, width, height, options);
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
