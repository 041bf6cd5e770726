// Tolmar MSH Viewer - frames drawn off-screen (EGL, no display) through the viewer's own set-up and drawing.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "msh/MshGeometry.h"
#include "samples/SampleMeshes.h"
#include "drawing/MeshDrawing.h"
#include "scene/MeshPicking.h"
#include "offscreen/OffscreenGL.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

namespace
{
    using Rgb = std::array<int, 3>;
    constexpr int size = 64;
    const Rgb background { 204, 0, 102 };
    const double focal = 1.0 / std::tan (22.5 * juce::MathConstants<double>::pi / 180.0); // 45° field of view

    struct Frame
    {
        // Draws a frame; how many pixels are not the background.
        int render (const ViewCamera& camera, const MshObject* root, int height = size, bool wireframe = false, const MshObject* highlighted = nullptr)
        {
            renderFrame (camera, root, size, height, wireframe, highlighted);
            return readBack();
        }

        // The same for a frame drawn with options.
        int render (const ViewCamera& camera, const MshObject& root, const FrameOptions& options)
        {
            const auto list = makeDrawList (root);
            renderFrame (camera, &list, size, size, options);
            return readBack();
        }

        int readBack()
        {
            pixels = readFramePixels (size, size);
            int drawn = 0;
            for (int i = 0; i < size * size; ++i)
                drawn += at (i % size, i / size) != background ? 1 : 0;
            return drawn;
        }

        Rgb at (int x, int y) const
        {
            const auto* p = pixels.data() + (y * size + x) * 4;
            return { p[0], p[1], p[2] };
        }

        // What lands where a scene point does: the camera's translation, then the perspective.
        bool backgroundAt (const ViewCamera& camera, float x, float y, float z = 0) const
        {
            const auto depth = -(z + camera.distance);
            return at ((int) std::floor ((focal * (x + camera.pan[0]) / depth + 1) / 2 * size),
                       (int) std::floor ((1 - focal * (y + camera.pan[1]) / depth) / 2 * size)) == background;
        }

        const Expected<std::unique_ptr<OffscreenGL>> gl = OffscreenGL::make (size, size);
        const bool made = gl.ok();
        std::vector<unsigned char> pixels;
    };

    // Pixel centres fall 1/128 of the texture off the texel centres: linear filtering mixes in up to 4/255.
    ::testing::AssertionResult near (Rgb expected, Rgb actual)
    {
        for (size_t i = 0; i < 3; ++i)
            if (std::abs (expected[i] - actual[i]) > 8)
                return ::testing::AssertionFailure() << "got (" << actual[0] << ", " << actual[1] << ", " << actual[2] << ")";
        return ::testing::AssertionSuccess();
    }

    ViewCamera at (float distance) { ViewCamera c; c.distance = distance; return c; }
}

// A context, and a square of side 2 that fills a square view exactly from faceOn.
class Pixels : public ::testing::Test
{
protected:
    void SetUp() override   { ASSERT_TRUE (frame.made); addQuad (square, 2, 2); }

    Frame frame;
    MshObject square;
    const ViewCamera faceOn = at ((float) -focal);
    static constexpr int q = size / 4, r = 3 * size / 4; // texel centres a quarter in from each edge
};

TEST_F (Pixels, TheFrameIsReadBackTopRowFirst)
{
    // The upper half cleared black reads as the upper half.
    glClearColor (1, 1, 1, 1);
    glClear (GL_COLOR_BUFFER_BIT);
    glEnable (GL_SCISSOR_TEST);
    glScissor (0, size / 2, size, size / 2);
    glClearColor (0, 0, 0, 1);
    glClear (GL_COLOR_BUFFER_BIT);
    glDisable (GL_SCISSOR_TEST);
    const auto rows = readFramePixels (size, size);
    EXPECT_TRUE (rows[(size / 2 - 1) * size * 4] == 0 && rows[size / 2 * size * 4] != 0);
}

TEST_F (Pixels, NoMeshOrAViewWithoutHeightDrawsTheBackgroundAlone)
{
    // A view without height has no aspect ratio to divide by; either way a whole frame.
    EXPECT_TRUE (renderFrame (faceOn, static_cast<const DrawList*> (nullptr), size, size));
    EXPECT_EQ (0, frame.render (faceOn, nullptr));
    EXPECT_EQ (0, frame.render (faceOn, &square, 0));
}

TEST_F (Pixels, TheRainbowCornersShowAtAlpha08OrReddishOpaqueWhenSelected)
{
    // t = 0 (white, yellow) is the bottom row. Unselected: 0.8 × texel + 0.2 × background. Selected: the
    // texel times (1, 0.5, 0.5).
    for (const bool selected : { false, true })
    {
        frame.render (faceOn, &square, size, false, selected ? &square : nullptr);
        EXPECT_TRUE (near (selected ? Rgb { 255, 128, 128 } : Rgb { 245, 204, 224 }, frame.at (q, r))); // white
        EXPECT_TRUE (near (selected ? Rgb { 255, 128, 0 } : Rgb { 245, 204, 20 }, frame.at (r, r)));    // yellow
        EXPECT_TRUE (near (selected ? Rgb { 255, 0, 128 } : Rgb { 245, 0, 224 }, frame.at (q, q)));     // magenta
        EXPECT_TRUE (near (selected ? Rgb { 0, 128, 128 } : Rgb { 41, 204, 224 }, frame.at (r, q)));    // cyan
    }
}

TEST_F (Pixels, AReducedFrameDrawsEverySecondTriangleAsTheWholeOnePlacesIt)
{
    // The square's first half alone, in the same colours, placed as in full (moved out of the view along
    // any one axis, nothing shows).
    square.indices = { 1, 2, 0, 2, 3, 0 }; // corners turned round: the texture's corners are the reduced frame's own
    frame.render (faceOn, &square, size, false, &square);
    const auto full = frame.pixels;
    FrameOptions options { {}, &square, 2, {} }; // not wireframe, highlighted, every second triangle
    for (const auto& place : { std::array<float, 3> { 3, 0, 0 }, { 0, -3, 0 }, { 0, 0, 10 }, { 0, 0, 0 } })
    {
        setTranslation (square, place[0], place[1], place[2]);
        const auto list = makeDrawList (square);
        renderFrame (faceOn, &list, size, size, options);
        frame.pixels = readFramePixels (size, size);
        const auto moved = place[0] != 0 || place[1] != 0 || place[2] != 0;
        EXPECT_EQ (background, moved ? frame.at (r, r) : frame.at (q, q)) << place[0] << place[1] << place[2]; // else beyond corners (0, 1, 2)
    }
    EXPECT_TRUE (near (frame.at (r, r), Rgb { full[(r * size + r) * 4], full[(r * size + r) * 4 + 1], full[(r * size + r) * 4 + 2] }));
    MshObject tilted; // where the reduced frame draws, it draws what the whole one does
    addQuad (tilted, 2, 2);
    tilted.vertices[0].z = tilted.vertices[1].z = 0.5f;
    setTranslation (tilted, 0.5f, 0.25f, -1);
    const auto placed = makeDrawList (tilted);
    std::vector<unsigned char> frames[2];
    for (const size_t step : { 1u, 2u })
    {
        options.step = step;
        renderFrame (faceOn, &placed, size, size, options);
        frames[step - 1] = readFramePixels (size, size);
    }
    int reducedPixels = 0, differing = 0;
    for (int i = 0; i < size * size; ++i)
    {
        frame.pixels = frames[1];
        const auto reduced = frame.at (i % size, i / size);
        frame.pixels = frames[0];
        reducedPixels += reduced != background ? 1 : 0;
        differing += reduced != background && ! near (reduced, frame.at (i % size, i / size)) ? 1 : 0;
    }
    EXPECT_TRUE (reducedPixels > size * size / 16 && differing < size / 4) << reducedPixels << " " << differing;
}

TEST_F (Pixels, AFrameAskedToStopGivesUpOnceItHasDrawnEnoughToAsk)
{
    // Reduced too. Drawn whole, its second call's triangles lie where picking finds them.
    MshObject ball;
    addSphere (ball, 1, 200, 100); // 40,000 triangles: drawn in two calls, asked after each
    const auto balls = makeDrawList (ball);
    auto aside = at (-3.0f);
    aside.rotation[0] = 60; // the second call's triangles (the lower half) face the eye
    renderFrame (aside, &balls, size, size);
    frame.pixels = readFramePixels (size, size);
    int disagreements = 0;
    for (int i = 0; i < size * size; i += 3)
        disagreements += (frame.at (i % size, i / size) != background) != (pickObject (aside, ball, i % size + 0.5, i / size + 0.5, size, size) != nullptr);
    EXPECT_LT (disagreements, size * size / 300);
    size_t askedAt = 0;
    bool stop = false;
    FrameOptions options { {}, nullptr, 1, [&] (size_t drawn) { askedAt = drawn; return stop; } };
    EXPECT_TRUE (renderFrame (faceOn, &balls, size, size, options) && askedAt == 40000u);
    stop = true;
    GLint depths[2] = {};
    glGetIntegerv (GL_MODELVIEW_STACK_DEPTH, &depths[0]);
    EXPECT_TRUE (! renderFrame (faceOn, &balls, size, size, options) && askedAt == 21845u);
    glGetIntegerv (GL_MODELVIEW_STACK_DEPTH, &depths[1]);
    EXPECT_EQ (depths[0], depths[1]) << "a frame given up leaves the matrices as it found them";
    options.step = 2;
    EXPECT_FALSE (renderFrame (faceOn, &balls, size, size, options));
}

TEST_F (Pixels, WhatA2DPassLeavesBehindChangesNothingInTheNextFrame)
{
    frame.render (faceOn, &square, size, false, &square);
    const auto selected = frame.pixels;
    glBlendFunc (GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable (GL_TEXTURE_2D);
    glDisable (GL_DEPTH_TEST);
    glEnable (GL_SCISSOR_TEST);
    glScissor (0, 0, 4, 4);
    const unsigned char black[16] = {};
    glTexImage2D (GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, black);
    glTexEnvi (GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    frame.render (faceOn, &square, size, false, &square);
    EXPECT_TRUE (selected == frame.pixels);
}

TEST_F (Pixels, ObjectsArePlacedByTheSumOfTranslationsThenTurned)
{
    {
        MshMesh mesh;
        setTranslation (mesh.root, 1, 0, 0);
        addQuad (mesh.root, 0.8f, 0.8f);
        auto& child = addChild (mesh.root, "child");
        setTranslation (child, 0, 2, 0);
        addQuad (child, 0.8f, 0.8f);
        mesh.root.nextSibling = std::make_unique<MshObject>();
        setTranslation (*mesh.root.nextSibling, 1.5f, -1.5f, 4);
        addQuad (*mesh.root.nextSibling, 0.8f, 0.8f);

        auto camera = at (-12.0f);
        frame.render (camera, &mesh.root);
        EXPECT_FALSE (frame.backgroundAt (camera, 1, 0));           // parent
        EXPECT_FALSE (frame.backgroundAt (camera, 1, 2));           // child: (1, 0, 0) + (0, 2, 0)
        EXPECT_TRUE (frame.backgroundAt (camera, 0, 2));            // not at its own translation alone
        EXPECT_FALSE (frame.backgroundAt (camera, 1.5f, -1.5f, 4)); // sibling: its own translation only, nearer
        camera.rotation[1] = 90.0f; // the squares turn edge-on: the turn happens after the camera's move
        frame.render (camera, &mesh.root);
        EXPECT_TRUE (frame.backgroundAt (camera, 1, 2));
    }
}

namespace
{
    // The sample seen from aside, or an object far off the origin added and framed.
    struct Scene
    {
        explicit Scene (bool framed)
        {
            buildSampleMesh (mesh);
            camera.rotation = { 20, -35, 0 };
            camera.pan = { 0.7f, -0.4f };
            camera.distance = -12;

            if (framed)
            {
                auto& far = addChild (mesh.root, "far");
                setTranslation (far, 40, -30, 20);
                addBox (far, 3, 1, 2);
                const auto box = mshTotals (far, false, *mshParentPlacement (mesh.root, far)).bounds;
                camera.frame (box.centre(), box.radius(), 1.0);
            }
        }

        Frame frame;
        MshMesh mesh;
        ViewCamera camera;
    };

    struct SampleScene : public Scene, public ::testing::TestWithParam<bool>
    {
        SampleScene() : Scene (GetParam()) {}
    };
}

TEST_P (SampleScene, PickingFindsWhatWasDrawn)
{
    ASSERT_TRUE (frame.made);
    const auto drawn = frame.render (camera, &mesh.root);
    int disagreements = 0;
    for (int i = 0; i < size * size; ++i)
        disagreements += (frame.at (i % size, i / size) != background) != (pickObject (camera, mesh.root, i % size + 0.5, i / size + 0.5, size, size) != nullptr);
    EXPECT_GT (drawn, size * size / (GetParam() ? 4 : 10));
    EXPECT_LT (disagreements, size * size / 100) << "edges only";
}

TEST_F (Pixels, FramingShowsTheObjectWhole)
{
    Scene scene (true);
    ASSERT_TRUE (scene.frame.made);
    scene.frame.render (scene.camera, &scene.mesh.root);
    EXPECT_TRUE (scene.frame.at (0, 0) == background && scene.frame.at (size - 1, size - 1) == background);
}

TEST_P (SampleScene, WireframeThinsTheDrawingThenLeavesFillModeToJuce)
{
    ASSERT_TRUE (frame.made);
    const auto drawn = frame.render (camera, &mesh.root);
    EXPECT_TRUE (frame.render (camera, &mesh.root, size, true) > 10 && frame.render (camera, &mesh.root, size, true) < drawn);
    GLint modes[2] = {};
    glGetIntegerv (GL_POLYGON_MODE, modes);
    EXPECT_TRUE (modes[0] == GL_FILL && modes[1] == GL_FILL) << "what JUCE's painting expects";
}

INSTANTIATE_TEST_SUITE_P (Pixels, SampleScene, ::testing::Values (false, true), [] (const auto& c) { return std::string (c.param ? "framed" : "aside"); });

TEST_F (Pixels, EveryWayOfDrawingASquareGivesTheSamePicture)
{
    MshObject shared, inOrder, leftOutFirst; // through indices, corners in order, a triangle left out first; a kept texture
    addQuad (shared, 2, 2); // four vertices, two triangles through indices
    for (const auto i : shared.indices)
        inOrder.vertices.push_back (shared.vertices[i]);
    for (juce::uint16 i = 0; i < inOrder.vertices.size(); ++i)
        inOrder.indices.push_back (i);
    leftOutFirst.vertices = shared.vertices;
    leftOutFirst.indices = { 0, 9, 1 };
    leftOutFirst.indices.insert (leftOutFirst.indices.end(), shared.indices.begin(), shared.indices.end());

    EXPECT_EQ (size * size, frame.render (faceOn, &shared));
    const auto expected = frame.pixels;
    for (const auto* object : { &inOrder, &leftOutFirst })
    {
        frame.render (faceOn, object);
        EXPECT_TRUE (expected == frame.pixels) << (object == &inOrder ? "in order" : "left out first");
    }

    // The texture as the view keeps it: made by the first frame, bound by the next, whatever a 2-D pass
    // put into the default texture between them.
    unsigned int texture = 0;
    FrameOptions options;
    options.texture = &texture;
    const auto list = makeDrawList (shared);
    for (int i = 0; i < 2; ++i)
    {
        renderFrame (faceOn, &list, size, size, options);
        EXPECT_TRUE (texture != 0 && expected == readFramePixels (size, size)) << i;
        const unsigned char black[16] = {};
        glBindTexture (GL_TEXTURE_2D, 0);
        glTexImage2D (GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, black);
    }
}

TEST_F (Pixels, OnlyACollisionHullIsDrawnAsItsEdgesAndOnlyWhenAsked)
{
    FrameOptions hullsAsEdges;
    hullsAsEdges.style.hullsAsWireframe = true;
    EXPECT_EQ (size * size, frame.render (faceOn, square, hullsAsEdges)) << "not a hull";
    square.flags = MshFlag::hidden;
    EXPECT_EQ (size * size, frame.render (faceOn, square, {})) << "not asked";
    EXPECT_LT (frame.render (faceOn, square, hullsAsEdges), size * size / 4);
}

TEST_F (Pixels, TheHeadlightDarkensFacesByHowFarTheirNormalsTurnFromTheEye)
{
    FrameOptions lit;
    lit.style.headlight = true;
    frame.render (faceOn, square, lit);
    const auto facing = frame.at (q, r); // white, where the normals point at the eye
    for (auto& v : square.vertices)
        v.nx = 2, v.ny = 0, v.nz = 0; // across the line of sight, and not of unit length
    frame.render (faceOn, square, {});
    EXPECT_TRUE (near (facing, frame.at (q, r))) << "no light, no shading";
    frame.render (faceOn, square, lit);
    const auto across = frame.at (q, r);
    EXPECT_TRUE (across[0] < facing[0] * 0.6 && across[1] < facing[1] * 0.6 && across[2] > 0) << across[0] << " " << across[1] << " " << across[2];
}

namespace
{
    struct Dense
    {
        std::string name;
        std::function<void (MshMesh&)> build;
        float distance;
        size_t budget;                          // 0: the view's own
    };

    void PrintTo (const Dense& c, std::ostream* out) { *out << c.name; }

    class ReducedCopy : public ::testing::TestWithParam<Dense> {};
}

TEST_P (ReducedCopy, CoversWhatTheFullFrameCoversButForATenthOfThePixels)
{
    constexpr int side = 160;
    const auto gl = OffscreenGL::make (side, side);
    ASSERT_TRUE (gl.ok()) << gl.message();
    MshMesh mesh;
    GetParam().build (mesh);
    const auto list = makeDrawList (mesh.root);
    const std::atomic<bool> never { false };
    const auto reduced = makeReducedScene (list, GetParam().budget > 0 ? GetParam().budget : reducedTriangleBudget, never);
    ASSERT_LT (reduced->triangles() * 20, list.triangles) << "reduced to a twentieth at least";

    ViewCamera camera;
    camera.distance = GetParam().distance;
    camera.rotation = { 20, 30, 0 };
    const auto covered = [&] (const FrameOptions& options)
    {
        renderFrame (camera, &list, side, side, options);
        const auto pixels = readFramePixels (side, side);
        std::vector<bool> mask;
        for (size_t i = 0; i < pixels.size(); i += 4)
            mask.push_back (Rgb { pixels[i], pixels[i + 1], pixels[i + 2] } != background);
        return mask;
    };
    FrameOptions reducedFrame;
    reducedFrame.step = 2;
    reducedFrame.reduced = reduced.get();
    const auto full = covered ({}), quick = covered (reducedFrame);
    const auto drawn = std::count (full.begin(), full.end(), true);
    int differing = 0;
    for (size_t i = 0; i < full.size(); ++i)
        differing += full[i] != quick[i] ? 1 : 0;
    EXPECT_GT (drawn, side * side / 5) << "the shape fills a good part of the view";
    EXPECT_LT (differing, side * side / 10) << differing << " of " << drawn << " covered";
}

INSTANTIATE_TEST_SUITE_P (Dense, ReducedCopy, ::testing::Values (
    Dense { "sphere_of_124000_triangles", [] (MshMesh& m) { addSphere (m.root, 4, 250, 250); }, -12, 3000 },
    Dense { "block_of_9000000_triangles", [] (MshMesh& m) { buildBallBlock (m, 30000); }, -150, 0 }),
    [] (const auto& c) { return c.param.name; });
