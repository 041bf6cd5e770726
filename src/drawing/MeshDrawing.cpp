// Tolmar MSH Viewer - the GL state, the frame and the drawing of the objects, in plain OpenGL 1.1 + GLU.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "MeshDrawing.h"
#include "msh/MshGeometry.h"

#if ! defined (_WIN32)
 #define GL_GLEXT_PROTOTYPES 1 // fences: exported by the GL libraries, used only where the context has them
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#ifndef GL_BGRA_EXT
 #define GL_BGRA_EXT 0x80E1
#endif


void setUpViewState (unsigned int* texture)
{
    // Undo what a 2-D pass may have left behind.
    glDisable (GL_SCISSOR_TEST);
    glDisable (GL_STENCIL_TEST);
    glDisable (GL_ALPHA_TEST);
    glDisable (GL_CULL_FACE);
    glDisable (GL_LIGHTING);
    glDepthMask (GL_TRUE);
    glColorMask (GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glTexEnvi (GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    glClearDepth (1.0);
    glDepthFunc (GL_LESS);
    glEnable (GL_DEPTH_TEST);
    glEnable (GL_TEXTURE_2D);
    glEnable (GL_BLEND);
    glShadeModel (GL_SMOOTH);

    const auto kept = texture != nullptr && *texture != 0 && glIsTexture (*texture) == GL_TRUE;

    if (texture != nullptr && ! kept)
        glGenTextures (1, texture);

    glBindTexture (GL_TEXTURE_2D, texture != nullptr ? *texture : 0);

    if (! kept)
    {
        glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glPixelStorei (GL_UNPACK_ALIGNMENT, 4);
        glTexImage2D (GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, rainbowTexels.data());
    }

    glHint (GL_LINE_SMOOTH_HINT, GL_FASTEST);
    glHint (GL_POINT_SMOOTH_HINT, GL_FASTEST);
    glBlendFunc (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

namespace
{
    // The highlighted object's colour, once for each vertex an object can have. Given per vertex, as
    // glColor inside glBegin gave it, the colour is interpolated across each triangle, which rounds 0.5
    // a little differently from one constant colour (0.8 and 1 come out the same either way, so the other
    // objects save the array's copying).
    const std::vector<std::array<GLfloat, 4>>& reddishPerVertex()
    {
        static const std::vector<std::array<GLfloat, 4>> colours (65536, { 1.0f, 0.5f, 0.5f, 1.0f });
        return colours;
    }

    constexpr size_t askEvery = 16384;       // triangles between questions whether to go on
    constexpr size_t boundEvery = 8 * askEvery;

    // The fence calls of OpenGL 3.2: exported by the GL libraries of Linux, asked of the context on Windows.
    struct FenceCalls
    {
        PFNGLFENCESYNCPROC fenceSync = nullptr;
        PFNGLCLIENTWAITSYNCPROC clientWaitSync = nullptr;
        PFNGLDELETESYNCPROC deleteSync = nullptr;
    };

    FenceCalls fenceCalls()
    {
       #if defined (_WIN32)
        const auto entry = [] (const char* name) { return reinterpret_cast<void*> (::wglGetProcAddress (name)); };
        return { reinterpret_cast<PFNGLFENCESYNCPROC> (entry ("glFenceSync")), reinterpret_cast<PFNGLCLIENTWAITSYNCPROC> (entry ("glClientWaitSync")),
                 reinterpret_cast<PFNGLDELETESYNCPROC> (entry ("glDeleteSync")) };
       #else
        return { glFenceSync, glClientWaitSync, glDeleteSync };
       #endif
    }

    // Fences (OpenGL 3.2, or ARB_sync) where the context has them.
    bool contextHasFences()
    {
        const auto* version = reinterpret_cast<const char*> (glGetString (GL_VERSION));
        const auto* extensions = reinterpret_cast<const char*> (glGetString (GL_EXTENSIONS));
        int major = 0, minor = 0;

        if (version != nullptr && std::sscanf (version, "%d.%d", &major, &minor) == 2 && (major > 3 || (major == 3 && minor >= 2)))
            return true;

        return extensions != nullptr && std::strstr (extensions, "GL_ARB_sync") != nullptr;
    }

    // Asks whether to go on every askEvery triangles, and bounds what the driver holds: llvmpipe keeps a
    // copy of every vertex handed to it until it rasterises them, which for 9,000,000 triangles in one go
    // came to 170 MB. Every boundEvery triangles a fence goes in, and the one before is waited for, so the
    // driver rasterises one part while the next is handed over; waiting for all of it (glFinish every
    // 524,288 triangles) left its threads idle meanwhile, a quarter of a frame's time, and held more.
    struct Progress
    {
        explicit Progress (const FrameOptions& o) : options (o) {}

        ~Progress()
        {
            if (pending != nullptr)
                calls.deleteSync (pending);
        }

        bool goOn (size_t triangles)
        {
            const auto before = drawn;
            drawn += triangles;

            if (drawn / boundEvery != before / boundEvery)
                bound();

            return drawn / askEvery == before / askEvery || ! options.stop || ! options.stop (drawn);
        }

        void bound()
        {
            if (! fences)
            {
                glFinish();
                return;
            }

            if (pending != nullptr)
            {
                for (auto flags = (GLbitfield) GL_SYNC_FLUSH_COMMANDS_BIT;; flags = 0)
                    if (const auto waited = calls.clientWaitSync (pending, flags, 100'000'000); waited != GL_TIMEOUT_EXPIRED)
                        break;

                calls.deleteSync (pending);
            }

            pending = calls.fenceSync (GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
            glFlush(); // the part before the fence goes to the rasteriser now
        }

        const FrameOptions& options;
        const FenceCalls calls = fenceCalls();
        const bool fences = contextHasFences() && calls.fenceSync != nullptr && calls.clientWaitSync != nullptr && calls.deleteSync != nullptr;
        size_t drawn = 0;
        GLsync pending = nullptr;

        JUCE_DECLARE_NON_COPYABLE (Progress)
    };

    // A light where the eye is, shining where it looks (set while the model-view matrix is the eye's):
    // Lambert shading of the colour the texture is multiplied with, both sides lit, as the winding of a
    // file's triangles is not to be trusted.
    void switchHeadlightOn()
    {
        const GLfloat towardsScene[] = { 0.0f, 0.0f, 1.0f, 0.0f }, diffuse[] = { 0.75f, 0.75f, 0.75f, 1.0f }, ambient[] = { 0.3f, 0.3f, 0.3f, 1.0f };
        glMatrixMode (GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glLightfv (GL_LIGHT0, GL_POSITION, towardsScene);
        glPopMatrix();
        glLightfv (GL_LIGHT0, GL_DIFFUSE, diffuse);
        glLightfv (GL_LIGHT0, GL_AMBIENT, ambient);
        glLightModeli (GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
        glColorMaterial (GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable (GL_COLOR_MATERIAL);
        glEnable (GL_NORMALIZE); // a file's normals need not be of unit length
        glEnable (GL_LIGHT0);
        glEnable (GL_LIGHTING);
        glEnableClientState (GL_NORMAL_ARRAY);
    }

    void switchHeadlightOff()
    {
        glDisableClientState (GL_NORMAL_ARRAY);
        glDisable (GL_LIGHTING);
        glDisable (GL_LIGHT0);
        glDisable (GL_NORMALIZE);
        glDisable (GL_COLOR_MATERIAL);
    }

    // Draws the list's items, each moved by its placement, through vertex arrays straight from the model.
    bool drawWhole (const DrawList& list, const FrameOptions& options)
    {
        constexpr size_t callLimit = 21845; // triangles: a call's indices stay in 16 bits' range
        Progress progress { options };

        for (const auto& item : list.items)
        {
            if (item.triangles == 0)
                continue;

            glPushMatrix();
            glTranslated (item.placement[0], item.placement[1], item.placement[2]);
            glPolygonMode (GL_FRONT_AND_BACK, options.style.wireframe || (item.hull && options.style.hullsAsWireframe) ? GL_LINE : GL_FILL);

            // One colour for the whole object, from the highlight: the texture is multiplied by it.
            if (item.object == options.highlighted)
            {
                glEnableClientState (GL_COLOR_ARRAY);
                glColorPointer (4, GL_FLOAT, 0, reddishPerVertex().data());
            }
            else
            {
                glDisableClientState (GL_COLOR_ARRAY);
                glColor4f (1.0f, 1.0f, 1.0f, 0.8f);
            }

            // The vertex's floats lie x y z nx ny nz u v.
            glVertexPointer (3, GL_FLOAT, sizeof (MshVertex), &item.vertices->x);
            glTexCoordPointer (2, GL_FLOAT, sizeof (MshVertex), &item.vertices->u);
            glNormalPointer (GL_FLOAT, sizeof (MshVertex), &item.vertices->nx);

            for (size_t done = 0; done < item.triangles;)
            {
                const auto count = std::min (item.triangles - done, callLimit);
                if (item.inOrder)
                    glDrawArrays (GL_TRIANGLES, (GLint) (3 * done), (GLsizei) (count * 3));
                else
                    glDrawElements (GL_TRIANGLES, (GLsizei) (count * 3), GL_UNSIGNED_SHORT, item.indices + 3 * done);
                done += count;

                if (! progress.goOn (count))
                {
                    glPopMatrix();
                    return false;
                }
            }

            glPopMatrix();
        }

        return true;
    }

    // Every step-th triangle of each object, moved to its place here and handed over a few thousand at a
    // time: a frame of many small objects then costs what its triangles cost, not a call per object.
    bool drawReduced (const DrawList& list, const FrameOptions& options)
    {
        struct PlacedVertex
        {
            GLfloat x, y, z, u, v;
            GLubyte colour[4];
        };

        std::vector<PlacedVertex> vertices;
        std::vector<juce::uint16> corners;
        vertices.reserve (3 * askEvery + 3 * 65536);
        Progress progress { options };

        const auto handOver = [&]
        {
            glVertexPointer (3, GL_FLOAT, sizeof (PlacedVertex), &vertices.data()->x);
            glTexCoordPointer (2, GL_FLOAT, sizeof (PlacedVertex), &vertices.data()->u);
            glColorPointer (4, GL_UNSIGNED_BYTE, sizeof (PlacedVertex), vertices.data()->colour);
            glDrawArrays (GL_TRIANGLES, 0, (GLsizei) vertices.size());
            const auto triangles = vertices.size() / 3;
            vertices.clear(); // GL copied them
            return progress.goOn (triangles);
        };

        glEnableClientState (GL_COLOR_ARRAY);

        for (const auto& item : list.items)
        {
            corners.clear();
            appendEveryStepTriangle (item, options.step, corners);
            const auto lit = item.object == options.highlighted;

            for (const auto corner : corners)
            {
                const auto& v = item.vertices[corner];
                vertices.push_back ({ (GLfloat) (item.placement[0] + v.x), (GLfloat) (item.placement[1] + v.y), (GLfloat) (item.placement[2] + v.z),
                                      v.u, v.v, { 255, (GLubyte) (lit ? 128 : 255), (GLubyte) (lit ? 128 : 255), (GLubyte) (lit ? 255 : 204) } });
            }

            if (vertices.size() >= 3 * askEvery && ! handOver())
                return false;
        }

        return vertices.empty() || handOver();
    }

    // The simplified copy, all in one array: the highlighted object's part drawn apart, in its colour.
    bool drawReducedScene (const ReducedScene& scene, const FrameOptions& options)
    {
        constexpr size_t callLimit = 65536; // triangles a call: asked whether to go on between calls
        Progress progress { options };
        glDisableClientState (GL_COLOR_ARRAY);
        glVertexPointer (3, GL_FLOAT, sizeof (ReducedScene::Vertex), &scene.vertices.data()->x);
        glTexCoordPointer (2, GL_FLOAT, sizeof (ReducedScene::Vertex), &scene.vertices.data()->u);

        const auto lit = std::find_if (scene.parts.begin(), scene.parts.end(), [&options] (const ReducedScene::Part& p) { return p.object == options.highlighted; });
        const auto litFirst = lit != scene.parts.end() ? lit->first : scene.indices.size(), litCount = lit != scene.parts.end() ? lit->count : 0;
        const std::array<std::array<size_t, 2>, 3> runs { { { 0, litFirst }, { litFirst + litCount, scene.indices.size() }, { litFirst, litFirst + litCount } } };

        for (size_t r = 0; r < runs.size(); ++r)
        {
            if (r == 2)
                glColor4f (1.0f, 0.5f, 0.5f, 1.0f);
            else
                glColor4f (1.0f, 1.0f, 1.0f, 0.8f);

            for (auto at = runs[r][0]; at < runs[r][1];)
            {
                const auto count = std::min (runs[r][1] - at, 3 * callLimit);
                glDrawElements (GL_TRIANGLES, (GLsizei) count, GL_UNSIGNED_INT, scene.indices.data() + at);
                at += count;

                if (! progress.goOn (count / 3))
                    return false;
            }
        }

        return true;
    }
}

bool renderFrame (const ViewCamera& camera, const DrawList* list, int width, int height, const FrameOptions& options)
{
    setUpViewState (options.texture);

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
    glPolygonMode (GL_FRONT_AND_BACK, options.style.wireframe ? GL_LINE : GL_FILL);
    glRotatef (camera.rotation[0], 1.0f, 0.0f, 0.0f);
    glRotatef (camera.rotation[1], 0.0f, 1.0f, 0.0f);
    glRotatef (camera.rotation[2], 0.0f, 0.0f, 1.0f);
    glTranslated (-camera.pivot[0], -camera.pivot[1], -camera.pivot[2]);
    glEnableClientState (GL_VERTEX_ARRAY);
    glEnableClientState (GL_TEXTURE_COORD_ARRAY);

    // A reduced frame carries no normals: it shows the shape's outline, unshaded.
    const auto lit = options.style.headlight && options.step <= 1;
    if (lit)
        switchHeadlightOn();

    const auto whole = options.step <= 1 ? drawWhole (*list, options)
                     : options.reduced != nullptr && options.reduced->source == list ? drawReducedScene (*options.reduced, options)
                     : drawReduced (*list, options);
    glPopMatrix();

    // What JUCE's own painting expects.
    if (lit)
        switchHeadlightOff();

    glDisableClientState (GL_VERTEX_ARRAY);
    glDisableClientState (GL_TEXTURE_COORD_ARRAY);
    glDisableClientState (GL_COLOR_ARRAY);
    glPolygonMode (GL_FRONT_AND_BACK, GL_FILL);
    return whole;
}

void renderFrame (const ViewCamera& camera, const MshObject* root, int width, int height, bool wireframe, const MshObject* highlighted)
{
    if (root == nullptr)
    {
        renderFrame (camera, static_cast<const DrawList*> (nullptr), width, height);
        return;
    }

    const auto list = makeDrawList (*root);
    FrameOptions options;
    options.style.wireframe = wireframe;
    options.highlighted = highlighted;

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
