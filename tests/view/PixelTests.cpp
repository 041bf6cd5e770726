// Tolmar MSH Viewer - frames drawn off-screen (OSMesa) through the viewer's own set-up and drawing code.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
//
// Links OSMesa and GLU only, never libGL: with libGL first its dispatch would take the gl* calls and draw
// nothing at all.
#include "tools/SampleMeshes.h"
#include "view/MeshDrawing.h"

#include <GL/osmesa.h>
#include <gtest/gtest.h>

#include <cmath>

namespace
{
    struct Pixel { int x, y; };

    constexpr int size = 64;
    const std::array<int, 3> background { 204, 0, 102 };

    struct OffscreenFrame
    {
        OffscreenFrame()
        {
            context = OSMesaCreateContextExt (OSMESA_RGBA, 24, 0, 0, nullptr);
            pixels.resize (size * size * 4);
            made = context != nullptr && OSMesaMakeCurrent (context, pixels.data(), GL_UNSIGNED_BYTE, size, size);
            OSMesaPixelStore (OSMESA_Y_UP, 0); // row 0 at the top, as on screen
            glViewport (0, 0, size, size);
        }

        ~OffscreenFrame()
        {
            if (context != nullptr)
                OSMesaDestroyContext (context);
        }

        void render (const ViewCamera& camera, const MshObject* root)
        {
            renderFrame (camera, root, size, size);
            glFinish();
        }

        std::array<int, 3> at (int x, int y) const
        {
            const auto* p = pixels.data() + (y * size + x) * 4;
            return { p[0], p[1], p[2] };
        }

        // Where a scene point lands: the camera's translation, a 45 degree perspective, a square view.
        Pixel project (const ViewCamera& camera, float x, float y, float z) const
        {
            const auto eyeZ = z + camera.distance;
            const auto f = 1.0 / std::tan (22.5 * juce::MathConstants<double>::pi / 180.0);
            const auto ndcX = f * (x + camera.pan[0]) / -eyeZ;
            const auto ndcY = f * (y + camera.pan[1]) / -eyeZ;
            return { (int) std::floor ((ndcX + 1) / 2 * size), (int) std::floor ((1 - ndcY) / 2 * size) };
        }

        bool isBackground (Pixel p) const    { return at (p.x, p.y) == background; }

        OSMesaContext context = nullptr;
        std::vector<unsigned char> pixels;
        bool made = false;
    };

    // Pixel centres fall 1/128 of the texture off the texel centres: linear filtering mixes in 1.6 % of the
    // neighbouring texel, 4 of 255 at most.
    ::testing::AssertionResult near (std::array<int, 3> expected, std::array<int, 3> actual, int tolerance = 8)
    {
        for (size_t i = 0; i < 3; ++i)
            if (std::abs (expected[i] - actual[i]) > tolerance)
                return ::testing::AssertionFailure() << "expected (" << expected[0] << ", " << expected[1] << ", "
                                                     << expected[2] << ") got (" << actual[0] << ", " << actual[1]
                                                     << ", " << actual[2] << ")";
        return ::testing::AssertionSuccess();
    }

    // A square of side 2 × half at the object's origin, texture coordinates 0 to 1 across it.
    void addSquare (MshObject& object, float half)
    {
        addQuad (object, 2 * half, 2 * half);
    }

    // At this distance a square of side 2 fills a square view exactly (tan 22.5° × 2.4142 = 1).
    ViewCamera faceOn()
    {
        ViewCamera camera;
        camera.distance = -1.0f / (float) std::tan (22.5 * juce::MathConstants<double>::pi / 180.0);
        return camera;
    }
}

TEST (Pixels, EmptyViewShowsTheBackgroundOnly)
{
    OffscreenFrame frame;
    ASSERT_TRUE (frame.made);
    frame.render (ViewCamera(), nullptr);

    for (int y = 0; y < size; y += 7)
        for (int x = 0; x < size; x += 7)
            ASSERT_EQ (background, frame.at (x, y));

    // A view without height draws the background and nothing else.
    MshMesh mesh;
    addSquare (mesh.root, 1);
    renderFrame (faceOn(), &mesh.root, size, 0);
    glFinish();
    EXPECT_EQ (background, frame.at (size / 2, size / 2));
}

TEST (Pixels, RainbowTextureCornersShowPlainAtAlpha08AndReddishWhenSelected)
{
    OffscreenFrame frame;
    ASSERT_TRUE (frame.made);
    MshMesh mesh;
    addSquare (mesh.root, 1);

    // Texel centres lie a quarter in from each edge; t = 0 (white, yellow) is the bottom row.
    const Pixel bottomLeft { size / 4, 3 * size / 4 }, bottomRight { 3 * size / 4, 3 * size / 4 },
                topLeft { size / 4, size / 4 }, topRight { 3 * size / 4, size / 4 };
    const std::array<int, 3> white { 255, 255, 255 }, yellow { 255, 255, 0 }, magenta { 255, 0, 255 }, cyan { 0, 255, 255 };

    const auto blended = [] (std::array<int, 3> texel)
    {
        std::array<int, 3> c {};
        for (size_t i = 0; i < 3; ++i)
            c[i] = (int) std::lround (0.8 * texel[i] + 0.2 * background[i]);
        return c;
    };

    frame.render (faceOn(), &mesh.root);
    EXPECT_TRUE (near (blended (white), frame.at (bottomLeft.x, bottomLeft.y)));
    EXPECT_TRUE (near (blended (yellow), frame.at (bottomRight.x, bottomRight.y)));
    EXPECT_TRUE (near (blended (magenta), frame.at (topLeft.x, topLeft.y)));
    EXPECT_TRUE (near (blended (cyan), frame.at (topRight.x, topRight.y)));

    mesh.root.selected = true; // the texture times (1, 0.5, 0.5), opaque
    frame.render (faceOn(), &mesh.root);
    EXPECT_TRUE (near ({ 255, 128, 128 }, frame.at (bottomLeft.x, bottomLeft.y)));
    EXPECT_TRUE (near ({ 255, 128, 0 }, frame.at (bottomRight.x, bottomRight.y)));
    EXPECT_TRUE (near ({ 255, 0, 128 }, frame.at (topLeft.x, topLeft.y)));
    EXPECT_TRUE (near ({ 0, 128, 128 }, frame.at (topRight.x, topRight.y)));
}

TEST (Pixels, EveryFrameUndoesWhatOtherDrawingLeftInTheContext)
{
    OffscreenFrame frame;
    ASSERT_TRUE (frame.made);
    MshMesh mesh;
    addSquare (mesh.root, 1);
    frame.render (faceOn(), &mesh.root);
    const auto first = frame.pixels;

    // What a 2-D pass over the frame may leave: other blending, no texture, a scissor, another texture.
    glBlendFunc (GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable (GL_TEXTURE_2D);
    glDisable (GL_DEPTH_TEST);
    glEnable (GL_SCISSOR_TEST);
    glScissor (0, 0, 4, 4);
    const unsigned char black[16] = {};
    glTexImage2D (GL_TEXTURE_2D, 0, 4, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, black);
    glTexEnvi (GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    frame.render (faceOn(), &mesh.root);
    EXPECT_TRUE (first == frame.pixels);
}

TEST (Pixels, ChildrenSitInTheirParentsTranslationAndSiblingsBesideIt)
{
    OffscreenFrame frame;
    ASSERT_TRUE (frame.made);
    MshMesh mesh;
    auto& parent = mesh.root;
    setTranslation (parent, 1, 0, 0);
    addSquare (parent, 0.4f);
    auto& child = addChild (parent, "child");
    setTranslation (child, 0, 2, 0);
    addSquare (child, 0.4f);
    parent.nextSibling = std::make_unique<MshObject>();
    setTranslation (*parent.nextSibling, 0, 0, 3);
    addSquare (*parent.nextSibling, 0.4f);

    ViewCamera camera;
    camera.distance = -12.0f;
    frame.render (camera, &mesh.root);

    EXPECT_FALSE (frame.isBackground (frame.project (camera, 1, 0, 0)));   // parent
    EXPECT_FALSE (frame.isBackground (frame.project (camera, 1, 2, 0)));   // child: (1, 0, 0) + (0, 2, 0)
    EXPECT_FALSE (frame.isBackground (frame.project (camera, 0, 0, 3)));   // sibling: its own only
    EXPECT_TRUE (frame.isBackground (frame.project (camera, 0, 2, 0)));    // where the child would be alone

    // Turning the scene moves the picture: rotation applies after the camera translation.
    camera.rotation[1] = 90.0f;
    frame.render (camera, &mesh.root);
    EXPECT_TRUE (frame.isBackground (frame.project (camera, 1, 2, 0)));
}

TEST (Pixels, ATriangleWithABadIndexIsSkippedWhileItsNeighboursDraw)
{
    OffscreenFrame frame;
    ASSERT_TRUE (frame.made);
    MshMesh mesh;
    auto& object = mesh.root;
    // Three squares in a row at x = -1, 0, 1, two triangles each; the middle one's second triangle has a
    // corner past the vertex list, and two trailing indices belong to no triangle.
    for (const float x : { -1.0f, 0.0f, 1.0f })
    {
        const auto first = (juce::uint16) object.vertices.size();
        object.vertices.push_back ({ x - 0.4f, -0.4f, 0, 0, 0, 1, 0.25f, 0.25f });
        object.vertices.push_back ({ x + 0.4f, -0.4f, 0, 0, 0, 1, 0.25f, 0.25f });
        object.vertices.push_back ({ x + 0.4f, 0.4f, 0, 0, 0, 1, 0.25f, 0.25f });
        object.vertices.push_back ({ x - 0.4f, 0.4f, 0, 0, 0, 1, 0.25f, 0.25f });
        const bool bad = x == 0.0f;
        object.indices.insert (object.indices.end(), { first, (juce::uint16) (first + 1), (juce::uint16) (first + 2),
                                                       first, (juce::uint16) (first + 2),
                                                       (juce::uint16) (bad ? 999 : first + 3) });
    }
    object.indices.push_back (0);
    object.indices.push_back (1);

    ViewCamera camera;
    camera.distance = -6.0f;
    frame.render (camera, &mesh.root);

    // Lower right halves (first triangles) all draw; the upper left half of the middle square does not.
    for (const float x : { -1.0f, 0.0f, 1.0f })
        EXPECT_FALSE (frame.isBackground (frame.project (camera, x + 0.2f, -0.2f, 0))) << x;

    EXPECT_FALSE (frame.isBackground (frame.project (camera, -1.2f, 0.2f, 0)));
    EXPECT_TRUE (frame.isBackground (frame.project (camera, -0.2f, 0.2f, 0)));
    EXPECT_FALSE (frame.isBackground (frame.project (camera, 0.8f, 0.2f, 0)));
}

TEST (Pixels, AThousandLevelsDeepDrawWhereTheirTranslationsAddUp)
{
    OffscreenFrame frame;
    ASSERT_TRUE (frame.made);
    MshMesh mesh;
    buildDeepChain (mesh, 1000); // far deeper than the GL matrix stack's 32 levels

    MshObject* deepest = &mesh.root;
    for (auto* o = &mesh.root; o != nullptr; o = o->firstChild.get())
    {
        setTranslation (*o, 0.004f, 0.003f, 0);
        deepest = o;
    }
    addSquare (*deepest, 0.6f);

    ViewCamera camera;
    camera.distance = -20.0f;
    frame.render (camera, &mesh.root);

    EXPECT_EQ (GLenum (GL_NO_ERROR), glGetError());
    EXPECT_FALSE (frame.isBackground (frame.project (camera, 4.0f, 3.0f, 0)));
    EXPECT_TRUE (frame.isBackground (frame.project (camera, 0.0f, 0.0f, 0)));
}
