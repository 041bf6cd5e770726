// Tolmar MSH Viewer - frame time of the viewer's own drawing code on software GL. Prints numbers.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
//
// Renders off-screen through EGL (llvmpipe, as under Xvfb) at the 3-D view's start size, 480 × 472, and
// picks a point of the view.
#include "samples/SampleMeshes.h"
#include "drawing/MeshDrawing.h"

#include "msh/MshWriter.h"
#include "scene/MeshPicking.h"
#include "offscreen/OffscreenGL.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>
#include <functional>
#include <cstdio>

namespace
{
    constexpr int frames = 10;

    // Best and mean of frames frames, each finished, after one to warm up.
    void time (const std::function<void()>& draw, double& best, double& mean)
    {
        draw();
        glFinish();
        best = 1e9;
        double total = 0;

        for (int frame = 0; frame < frames; ++frame)
        {
            const auto start = std::chrono::steady_clock::now();
            draw();
            glFinish();
            const auto ms = std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count();
            best = std::min (best, ms);
            total += ms;
        }

        mean = total / frames;
    }

    // Small triangles in a grid facing the camera, in objects of at most 65535 vertices.
    void buildTriangles (MshMesh& mesh, int triangles)
    {
        mesh.clear();
        mesh.root.name = "grid";
        std::unique_ptr<MshObject>* link = &mesh.root.firstChild;
        const auto side = (int) std::ceil (std::sqrt ((double) triangles));
        const auto cell = 20.0f / (float) side;

        for (int done = 0; done < triangles;)
        {
            *link = std::make_unique<MshObject>();
            auto& object = **link;
            const auto count = juce::jmin (triangles - done, 21845);

            for (int t = 0; t < count; ++t, ++done)
            {
                const auto x = -10.0f + cell * (float) (done % side);
                const auto y = -10.0f + cell * (float) (done / side);
                const auto first = (juce::uint16) object.vertices.size();
                object.vertices.push_back ({ x, y, 0, 0, 0, 1, 0, 0 });
                object.vertices.push_back ({ x + cell, y, 0, 0, 0, 1, 1, 0 });
                object.vertices.push_back ({ x, y + cell, 0, 0, 0, 1, 0, 1 });
                object.indices.insert (object.indices.end(), { first, (juce::uint16) (first + 1), (juce::uint16) (first + 2) });
            }

            link = &object.nextSibling;
        }
    }

    // The floor: the fewest calls and states this GL can draw the grid's triangles with (one interleaved
    // client array, one glDrawArrays, the texture's alpha doing the blending), in this context, as the
    // minimal program in the tools folder draws them.
    void timeFloor (int triangles, int width, int height, double& best, double& mean)
    {
        const auto side = (int) std::ceil (std::sqrt ((double) triangles));
        const auto cell = 20.0f / (float) side;
        std::vector<float> vertices;
        vertices.reserve ((size_t) triangles * 24);

        for (int t = 0; t < triangles; ++t)
        {
            const auto x = -10.0f + cell * (float) (t % side), y = -10.0f + cell * (float) (t / side);
            vertices.insert (vertices.end(), { 0, 0, 0, 0, 1, x, y, 0,   1, 0, 0, 0, 1, x + cell, y, 0,   0, 1, 0, 0, 1, x, y + cell, 0 });
        }

        const unsigned char texels[16] = { 255, 0, 0, 204,  0, 255, 0, 204,  0, 0, 255, 204,  255, 255, 0, 204 };
        GLuint texture = 0;
        glGenTextures (1, &texture);
        glBindTexture (GL_TEXTURE_2D, texture);
        glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D (GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        glTexEnvi (GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glEnable (GL_TEXTURE_2D);
        glEnable (GL_BLEND);
        glBlendFunc (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable (GL_DEPTH_TEST);
        glColor4f (1, 1, 1, 1);
        glMatrixMode (GL_PROJECTION);
        glLoadIdentity();
        gluPerspective (45.0, (double) width / height, 1.0, 1000.0);
        glInterleavedArrays (GL_T2F_N3F_V3F, 0, vertices.data());
        float turn = 0;

        time ([&]
        {
            glClearColor (0.8f, 0, 0.4f, 1);
            glClear (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glMatrixMode (GL_MODELVIEW);
            glLoadIdentity();
            glTranslatef (0, 0, -30);
            glRotatef (turn += 1, 0, 1, 0);
            glDrawArrays (GL_TRIANGLES, 0, 3 * triangles);
        }, best, mean);

        glDisableClientState (GL_VERTEX_ARRAY);
        glDisableClientState (GL_NORMAL_ARRAY);
        glDisableClientState (GL_TEXTURE_COORD_ARRAY);
        glDeleteTextures (1, &texture);
    }

    double millisecondsSince (std::chrono::steady_clock::time_point start)
    {
        return std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count();
    }

    // What the view makes in the background after a load, and the reduced frames drawn from it.
    void timeReducedCopies (const MshMesh& mesh, const DrawList& list, int width, int height)
    {
        const auto fileBytes = (double) mshWriteToMemory (mesh).getSize();
        auto start = std::chrono::steady_clock::now();
        const auto boxes = makeBoxScene (list);
        const auto boxesMs = millisecondsSince (start);
        const std::atomic<bool> never { false };
        start = std::chrono::steady_clock::now();
        const auto copy = makeReducedScene (list, reducedTriangleBudget, never);
        const auto copyMs = millisecondsSince (start);

        for (const auto* scene : { &boxes, (const ReducedScene*) copy.get() })
        {
            ViewCamera camera;
            camera.distance = -30.0f;
            FrameOptions options;
            unsigned int texture = 0;
            options.texture = &texture;
            options.step = 2;
            options.reduced = scene;
            double best = 0, mean = 0;
            time ([&] { camera.rotation[1] += 1.0f; renderFrame (camera, &list, width, height, options); }, best, mean);
            std::printf ("%9zu triangles, %-22s %7.1f ms to make, %zu triangles, %.1f MB (%.1f %% of the file); frames best %6.1f, mean %6.1f ms (%.0f a second)\n",
                         list.triangles, scene == &boxes ? "reduced copy, boxes:" : "reduced copy, simplified:", scene == &boxes ? boxesMs : copyMs,
                         scene->triangles(), (double) scene->bytes() / 1e6, 100.0 * (double) scene->bytes() / fileBytes, best, mean, 1000.0 / mean);
        }
    }

    void buildBalls (MshMesh& mesh)
    {
        mesh.clear();
        mesh.root.name = "balls";
        for (int i = 0; i < 30'000; ++i)
        {
            auto& object = addChild (mesh.root, "ball");
            setTranslation (object, 0.5f * (float) (i % 32 - 16), 0.5f * (float) (i / 32 % 32 - 16), 0.5f * (float) (i / 1024 - 15));
            addSphere (object, 0.2f, 10, 15);
        }
    }
}

int main (int argc, char* argv[])
{
    if (argc > 1)
        return std::printf ("usage: bench_drawing   (no options: it prints frame times on this machine's GL)\n") > 0
                   && std::string (argv[1]) == "--help" ? 0 : 64;

    constexpr int width = 480, height = 472;
    const auto gl = OffscreenGL::make (width, height);

    if (! gl)
    {
        std::fprintf (stderr, "%s\n", gl.message().toRawUTF8());
        return 1;
    }

    std::printf ("renderer: %s; %d × %d, best and mean of %d frames\n", (const char*) glGetString (GL_RENDERER), width, height, frames);

    // In front of the camera the grid covers the whole view (rasterising and blending dominate); behind it
    // every triangle is clipped, which leaves what the drawing code and the GL calls cost. The reduced
    // frame is what the view draws while it is turned: every k-th triangle, k learnt as the view learns it.
    // The grids, and 30,000 balls of 300 triangles in a block (9,000,000 triangles in many small objects).
    for (const int triangles : { 100'000, 1'000'000, 9'000'000 })
    {
        MshMesh mesh;
        if (triangles < 9'000'000)
            buildTriangles (mesh, triangles);
        else
            buildBalls (mesh);

        const auto prepareStart = std::chrono::steady_clock::now();
        const auto list = makeDrawList (mesh.root);
        std::printf ("%9d triangles, %-22s %7.1f ms once per load\n", triangles, "preparing the list:",
                     std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - prepareStart).count());

        for (const bool inFront : { true, false })
        {
            ViewCamera camera;
            camera.distance = inFront ? -30.0f : 30.0f;
            FrameOptions options;
            unsigned int texture = 0; // kept, as the view keeps it
            options.texture = &texture;
            double best = 0, mean = 0, reducedBest = 0, reducedMean = 0;
            time ([&] { camera.rotation[1] += 1.0f; renderFrame (camera, &list, width, height, options); }, best, mean);
            // Paced as the view paces them: the step learnt from the reduced frames before.
            FramePacing pacing;
            pacing.fullFrameFinished (mean);
            time ([&]
            {
                camera.rotation[1] += 1.0f;
                options.step = pacing.stepFor (true);
                const auto start = std::chrono::steady_clock::now();
                renderFrame (camera, &list, width, height, options);
                glFinish();
                if (options.step > 1)
                    pacing.reducedFrameFinished (options.step, std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count());
            }, reducedBest, reducedMean);
            std::printf ("%9d triangles, %-22s best %7.1f ms, mean %7.1f ms a frame; reduced (every %zu.) best %6.1f, mean %6.1f ms\n",
                         triangles, inFront ? "filling the view:" : "behind (calls only):", best, mean, options.step, reducedBest, reducedMean);

            if (inFront && triangles < 9'000'000)
            {
                double floorBest = 0, floorMean = 0;
                timeFloor (triangles, width, height, floorBest, floorMean);
                std::printf ("%9d triangles, %-22s best %7.1f ms, mean %7.1f ms a frame: the view's full frame %.2f x it (best), %.2f x (mean); target 1.15 x\n",
                             triangles, "the floor:", floorBest, floorMean, best / floorBest, mean / floorMean);
            }
        }

        // A click in the middle of the view: the ray against every drawn triangle.
        ViewCamera camera;
        camera.distance = -30.0f;
        double best = 1e9;
        int hits = 0;

        for (int pick = 0; pick < frames; ++pick)
        {
            const auto start = std::chrono::steady_clock::now();
            hits += pickObject (camera, mesh.root, width / 2.0 + pick, height / 2.0, width, height) != nullptr ? 1 : 0;
            best = std::min (best, std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count());
        }

        std::printf ("%9d triangles, %-22s best %7.1f ms (%d of %d points on a triangle)\n", triangles, "picking a point:", best, hits, frames);

        if (wantsReducedScene (list))
            timeReducedCopies (mesh, list, width, height);
    }

    return 0;
}
