// Tolmar MSH Viewer - the camera against values worked out by hand.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "view/ViewCamera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
    constexpr float oneNotch = 120 * 0.75f / 256; // 0.3515625: 120 units a notch × 0.75, over 256
}

TEST (Camera, DragsTurnOrMoveFromWhereTheButtonWentDown)
{
    ViewCamera camera;
    camera.buttonDown (true, false);
    camera.drag (true, false, 100, 50);
    camera.drag (true, false, 100, 50); // measured from the button-down point, not added up
    EXPECT_EQ ((std::array<float, 3> { 10.0f, 20.0f, 0.0f }), camera.rotation);
    camera.buttonUp (true, false);
    EXPECT_EQ ((std::array<float, 3> {}), camera.dragStartRotation);
    camera.buttonDown (true, false);
    camera.drag (true, false, 2000, -100); // from where the last turn ended; angles are not wrapped
    EXPECT_EQ ((std::array<float, 3> { -10.0f, 420.0f, 0.0f }), camera.rotation);

    // Right: (25 - 0.1 × 0.8) / 600 units a pixel; right is +x, down is -y.
    ViewCamera moved;
    moved.buttonDown (false, true);
    moved.drag (false, true, 100, 50);
    EXPECT_NEAR (100 * 24.92 / 600, moved.pan[0], 1e-5);
    EXPECT_NEAR (-50 * 24.92 / 600, moved.pan[1], 1e-5);
    moved.buttonUp (false, true);
    EXPECT_EQ ((std::array<float, 2> {}), moved.dragStartPan);

    // Both buttons turn and do not move.
    ViewCamera both;
    both.buttonDown (true, true);
    both.drag (true, true, 100, 50);
    EXPECT_EQ ((std::array<float, 2> {}), both.pan);
    EXPECT_EQ (20.0f, both.rotation[1]);
}

TEST (Camera, WheelStepsAreRelativeAndStayWithinTheLimitsTheFarOneWinning)
{
    ViewCamera away, towards;
    away.wheel (oneNotch);
    towards.wheel (-oneNotch);
    EXPECT_EQ (-25.87890625f, away.distance);     // -25 × 1.03515625, exactly
    EXPECT_EQ (-24.12109375f, towards.distance);

    ViewCamera limited;
    limited.nearestDistance = 10.0f;
    for (int i = 0; i < 200; ++i)
        limited.wheel (-oneNotch);
    EXPECT_EQ (-10.0f, limited.distance);
    for (int i = 0; i < 1000; ++i)
        limited.wheel (oneNotch);
    EXPECT_EQ (-500.0f, limited.distance);

    for (const float step : { oneNotch, -oneNotch })
    {
        ViewCamera crossed;              // the near limit beyond the far one
        crossed.nearestDistance = 600.0f;
        crossed.wheel (step);
        EXPECT_EQ (-500.0f, crossed.distance);
    }

    ViewCamera beyond;                   // placed past the far limit by a load
    beyond.distance = -900.0f;
    beyond.wheel (-oneNotch);
    EXPECT_EQ (-500.0f, beyond.distance);
}

TEST (Camera, ALoadResetsThenPlacesTheCameraFromThreeHeaderWords)
{
    ViewCamera camera;
    camera.rotation = { 1, 2, 3 };
    camera.pan = { 4, 5 };
    camera.dragStartPan = { 6, 7 };
    camera.resetForLoad();
    EXPECT_EQ ((std::array<float, 3> {}), camera.rotation);
    EXPECT_EQ ((std::array<float, 2> {}), camera.pan);
    EXPECT_EQ (-25.0f, camera.distance);
    EXPECT_EQ ((std::array<float, 2> { 6, 7 }), camera.dragStartPan) << "a load leaves the saved values";

    camera.placeFromHeader (10.0f, 8.0f, 2.0f);  // word 0 is the larger: 10 > 3 × 2
    EXPECT_EQ (-10.0f, camera.distance);
    EXPECT_EQ (-4.0f, camera.pan[1]);
    EXPECT_EQ (10.0f, camera.nearestDistance);
    camera.placeFromHeader (10.0f, 0.0f, 5.0f);  // three times word 19 is the larger: 15
    EXPECT_EQ (-15.0f, camera.distance);
    camera.placeFromHeader (0.5f, 0.0f, 200.0f); // beyond the wheel's far limit
    EXPECT_EQ (-600.0f, camera.distance);

    // Words that are not numbers would leave a camera no mouse could bring back: the other word decides,
    // else the start distance; a NaN word 0 leaves the nearest distance at its start value.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    camera.placeFromHeader (nan, 8.0f, 2.0f);
    EXPECT_EQ (-6.0f, camera.distance);
    EXPECT_EQ (0.1f, camera.nearestDistance);
    camera.placeFromHeader (12.0f, nan, nan);
    EXPECT_EQ (-12.0f, camera.distance);
    EXPECT_EQ (0.0f, camera.pan[1]);
    camera.placeFromHeader (nan, 0.0f, std::numeric_limits<float>::infinity());
    EXPECT_EQ (-25.0f, camera.distance);
    camera.wheel (oneNotch);
    EXPECT_EQ (-25.87890625f, camera.distance);
}
