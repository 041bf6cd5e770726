// Tolmar MSH Viewer - the camera against values worked out by hand.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "scene/ViewCamera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
    constexpr float oneNotch = 0.3515625f; // 120 units a notch × 0.75, over 256
    const double tanHalfView = std::tan (22.5 * 3.14159265358979323846 / 180);
    using Angles = std::array<float, 3>;
    using Pan = std::array<float, 2>;

    // One drag: button down, a move of (dx, dy) from there, button up.
    void drag (ViewCamera& camera, bool left, bool right, int dx, int dy)
    {
        camera.buttonDown (left, right);
        camera.drag (left, right, dx / 2, dy / 2);
        camera.drag (left, right, dx, dy); // measured from the button-down point, not added up
        camera.buttonUp (left, right);
    }
}

TEST (Camera, EachDragTurnsOrMovesOnFromWhereTheLastOneEnded)
{
    ViewCamera camera;
    drag (camera, true, false, 100, 50);
    EXPECT_EQ ((Angles { 10.0f, 20.0f, 0.0f }), camera.rotation);
    EXPECT_EQ (Angles {}, camera.dragStartRotation) << "forgotten at button-up";
    drag (camera, true, false, 2000, -100); // angles are not wrapped
    EXPECT_EQ ((Angles { -10.0f, 420.0f, 0.0f }), camera.rotation);

    // Right: (25 - 0.1 × 0.8) / 600 units a pixel; right is +x, down is -y; twice, on from the first.
    drag (camera, false, true, 100, 50);
    EXPECT_EQ (Pan {}, camera.dragStartPan);
    drag (camera, false, true, -30, 20);
    EXPECT_NEAR (70 * 24.92 / 600, camera.pan[0], 1e-5);
    EXPECT_NEAR (-70 * 24.92 / 600, camera.pan[1], 1e-5);
    EXPECT_EQ ((Angles { -10.0f, 420.0f, 0.0f }), camera.rotation) << "moving does not turn";

    // Left after right turns from the last angles and leaves the pan; both buttons turn and do not move.
    const auto pan = camera.pan;
    drag (camera, true, false, 50, 0);
    drag (camera, true, true, 0, 50);
    EXPECT_EQ ((Angles { 0.0f, 430.0f, 0.0f }), camera.rotation);
    EXPECT_EQ (pan, camera.pan);
}

TEST (Camera, AWheelStepIsRelativeANotchAsJuceReportsItThe35PerMilleIncrement)
{
   #if defined (_WIN32)
    constexpr float reportedNotch = 60.0f / 256.0f; // JUCE 7 on Windows
   #else
    constexpr float reportedNotch = 50.0f / 256.0f; // on X11
   #endif
    for (auto [step, expected] : { std::pair (oneNotch, -25.87890625f), std::pair (-oneNotch, -24.12109375f),
                                   std::pair (ViewCamera::wheelIncrement (reportedNotch), -25.87890625f),
                                   std::pair (ViewCamera::wheelIncrement (-reportedNotch / 2), -25 * (1 - 0.3515625f / 20)) })
    {
        ViewCamera camera;
        camera.wheel (step);
        EXPECT_EQ (expected, camera.distance);
    }
}

TEST (Camera, TheWheelStaysWithinTheDistanceLimits)
{
    ViewCamera limited;
    limited.nearestDistance = 10.0f;
    for (int i = 0; i < 200; ++i)
        limited.wheel (-oneNotch);
    EXPECT_EQ (-10.0f, limited.distance);
    for (int i = 0; i < 1000; ++i)
        limited.wheel (oneNotch);
    EXPECT_EQ (-500.0f, limited.distance);

    for (auto [nearest, start, step] : { std::tuple (600.0f, -25.0f, oneNotch), std::tuple (600.0f, -25.0f, -oneNotch),
                                         std::tuple (0.1f, -900.0f, -oneNotch) }) // limits crossed; placed past the far one
    {
        ViewCamera camera;
        camera.nearestDistance = nearest;
        camera.distance = start;
        camera.wheel (step);
        EXPECT_EQ (-500.0f, camera.distance);
    }
}

TEST (Camera, ALoadResetsThenPlacesTheCameraFromThreeHeaderWords)
{
    ViewCamera camera;
    camera.rotation = { 1, 2, 3 };
    camera.pan = { 4, 5 };
    camera.dragStartPan = { 6, 7 };
    camera.frame ({ 1, 2, 3 }, 1000.0, 1.0);
    camera.nearPlane = 0.01f; // as a small mesh framed leaves it
    camera.resetForLoad();
    EXPECT_TRUE (camera.rotation == Angles {} && camera.pan == Pan {} && camera.distance == -25.0f && camera.pivot == ViewCamera::Vector {}
                 && camera.nearPlane == 1.0f && camera.farthestDistance == 500.0f);
    EXPECT_EQ ((Pan { 6, 7 }), camera.dragStartPan) << "a load leaves the saved values";

    // Words that are not numbers would leave a camera no mouse could bring back: the other word decides,
    // else the start distance; a NaN word 0 leaves the nearest distance at its start value.
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Case { float word0, word18, word19, distance, panY, nearest; };
    for (auto c : { Case { 10, 8, 2, -10, -4, 10 },           // word 0 is the larger: 10 > 3 × 2
                    Case { 10, 0, 5, -15, 0, 10 },            // three times word 19 is the larger
                    Case { 0.5f, -3, 200, -600, 1.5f, 0.5f }, // beyond the wheel's far limit
                    Case { nan, 8, 2, -6, -4, 0.1f }, Case { 12, nan, nan, -12, 0, 12 }, Case { nan, 0, inf, -25, 0, 0.1f } })
    {
        camera.pan[0] = 3.0f;
        camera.placeFromHeader (c.word0, c.word18, c.word19);
        EXPECT_EQ ((std::array<float, 4> { c.distance, 0.0f, c.panY, c.nearest }),
                   (std::array<float, 4> { camera.distance, camera.pan[0], camera.pan[1], camera.nearestDistance }));
    }
}

TEST (Camera, FramingFitsTheSphereInTheNarrowerAngleOfView)
{
    ViewCamera camera;
    camera.rotation = { 0, 90, 0 };
    camera.frame ({ 1, 2, 3 }, 1.0, 2.0); // wider than high: the vertical 45° decides
    const auto depth = 1 / std::sin (std::atan (tanHalfView));
    EXPECT_TRUE (camera.pivot == (ViewCamera::Vector { 1, 2, 3 }) && camera.pan == Pan {} && camera.rotation == (Angles { 0, 90, 0 }));
    EXPECT_EQ ((std::array<float, 4> { (float) -depth, (float) (depth / 20), 500, (float) (depth / 100) }),
               (std::array<float, 4> { camera.distance, camera.nearestDistance, camera.farthestDistance, camera.nearPlane }));
    camera.frame ({ 0, 0, 0 }, 100.0, 0.5); // taller than wide: the horizontal angle decides; far limit out
    EXPECT_TRUE (camera.distance == (float) (-100 / std::sin (std::atan (0.5 * tanHalfView))) && camera.farthestDistance == -camera.distance * 20);
    camera.frame ({ 0, 0, 0 }, 1.0, 0.0); // a view without width frames as a square one
    EXPECT_FLOAT_EQ ((float) -depth, camera.distance);
}

TEST (Camera, ThePickRayRunsFromTheEyeThroughThePixel)
{
    // Turned 90° about Y the eye looks along +X: from the pivot's -X side through the middle of the view;
    // the top edge of the view is the field of view's half angle up.
    ViewCamera camera;
    camera.rotation = { 0, 90, 0 };
    camera.frame ({ 1, 2, 3 }, 1.0, 2.0);
    const auto depth = 1 / std::sin (std::atan (tanHalfView));
    const auto middle = camera.rayThrough (100, 50, 200, 100), top = camera.rayThrough (100, 0, 200, 100);
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_NEAR ((std::array<double, 3> { 1 - depth, 2, 3 })[i], middle.origin[i], 1e-6);
        EXPECT_NEAR ((std::array<double, 3> { 1, 0, 0 })[i], middle.direction[i], 1e-12);
        EXPECT_NEAR ((std::array<double, 3> { 1, tanHalfView, 0 })[i], top.direction[i], 1e-12);
    }
}

TEST (Camera, TurnedAboutAllThreeAxesItLooksAlongTheTurnsComposedAsTheFrameAppliesThem)
{
    // glRotate about X, then Y, then Z, multiplied out here one turn at a time.
    ViewCamera camera;
    camera.rotation = { 30, 50, 70 };
    const auto turn = [] (int axis, double degrees)
    {
        const auto c = std::cos (degrees * 3.14159265358979323846 / 180), s = std::sin (degrees * 3.14159265358979323846 / 180);
        std::array<std::array<double, 3>, 3> m {};
        const auto a = (size_t) (axis + 1) % 3, b = (size_t) (axis + 2) % 3;
        m[(size_t) axis][(size_t) axis] = 1;
        m[a][a] = c, m[a][b] = -s, m[b][a] = s, m[b][b] = c;
        return m;
    };
    const auto times = [] (const auto& p, const auto& q)
    {
        std::array<std::array<double, 3>, 3> m {};
        for (size_t i = 0; i < 3; ++i)
            for (size_t j = 0; j < 3; ++j)
                for (size_t k = 0; k < 3; ++k)
                    m[i][j] += p[i][k] * q[k][j];
        return m;
    };
    const auto turned = times (times (turn (0, 30), turn (1, 50)), turn (2, 70));
    const std::array<double, 3> towardsCorner { -2 * tanHalfView, tanHalfView, -1 }; // the top left pixel of a view twice as wide as high
    const auto ray = camera.rayThrough (0, 0, 200, 100);
    for (size_t i = 0; i < 3; ++i) // turned back: the transpose
        EXPECT_NEAR (turned[0][i] * towardsCorner[0] + turned[1][i] * towardsCorner[1] + turned[2][i] * towardsCorner[2], ray.direction[i], 1e-12) << i;
}

TEST (Camera, ASphereOfNoSizeIsFramedAtAMillionthOfAUnit)
{
    ViewCamera camera;
    camera.frame ({ 0, 0, 0 }, 0.0, 1.0);
    EXPECT_FLOAT_EQ ((float) (-1e-6 / std::sin (std::atan (tanHalfView))), camera.distance);
    camera.frame ({ 0, 0, 0 }, 1e-3, 1.0);
    EXPECT_FLOAT_EQ ((float) (-1e-3 / std::sin (std::atan (tanHalfView))), camera.distance) << "a small one by its own size";
}

TEST (Camera, AViewWithoutHeightStillGivesAFiniteRay)
{
    const auto ray = ViewCamera().rayThrough (10, 0, 200, 0);
    EXPECT_TRUE (std::isfinite (ray.direction[0]) && std::isfinite (ray.direction[1]) && std::isfinite (ray.direction[2]));
}
