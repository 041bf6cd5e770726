// Tolmar MSH Viewer - the camera against values worked out by hand.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "view/ViewCamera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
    constexpr float oneNotchAway = 120 * 0.75f / 256; // 0.3515625: 120 units a notch × 0.75, over 256
}

TEST (Camera, LeftDragTurnsFromWhereTheButtonWentDown)
{
    ViewCamera camera;
    camera.buttonDown (true, false);
    camera.drag (true, false, 100, 50);
    EXPECT_EQ ((std::array<float, 3> { 10.0f, 20.0f, 0.0f }), camera.rotation);

    // Measured from the button-down point, not added up per event.
    camera.drag (true, false, 100, 50);
    EXPECT_EQ ((std::array<float, 3> { 10.0f, 20.0f, 0.0f }), camera.rotation);

    camera.buttonUp (true, false);
    EXPECT_EQ ((std::array<float, 3> {}), camera.dragStartRotation);

    // A second turn starts where the first ended; angles are not wrapped.
    camera.buttonDown (true, false);
    camera.drag (true, false, 2000, -100);
    EXPECT_FLOAT_EQ (420.0f, camera.rotation[1]);
    EXPECT_FLOAT_EQ (-10.0f, camera.rotation[0]);
    EXPECT_EQ (0.0f, camera.rotation[2]);
}

TEST (Camera, RightDragMovesWithTheMouseAndBothButtonsOnlyTurn)
{
    ViewCamera camera;
    camera.buttonDown (false, true);
    camera.drag (false, true, 100, 50);
    // (25 - 0.1 × 0.8) / 600 = 0.0415333 units a pixel; right is +x, down is -y.
    EXPECT_NEAR (100 * 24.92 / 600, camera.pan[0], 1e-5);
    EXPECT_NEAR (-50 * 24.92 / 600, camera.pan[1], 1e-5);
    camera.buttonUp (false, true);
    EXPECT_EQ ((std::array<float, 2> {}), camera.dragStartPan);

    ViewCamera both;
    both.buttonDown (true, true);
    both.drag (true, true, 100, 50);
    EXPECT_EQ ((std::array<float, 2> {}), both.pan);
    EXPECT_EQ (20.0f, both.rotation[1]);

    // Farther away a pixel moves the scene more: at -100, (100 - 0.08) / 600.
    ViewCamera far;
    far.distance = -100.0f;
    far.buttonDown (false, true);
    far.drag (false, true, 600, 0);
    EXPECT_NEAR (99.92, far.pan[0], 1e-4);
}

TEST (Camera, WheelStepsAreRelativeAndStayWithinTheLimits)
{
    ViewCamera camera;
    camera.wheel (oneNotchAway);
    EXPECT_EQ (-25.87890625f, camera.distance); // -25 × 1.03515625, exactly

    ViewCamera nearer;
    nearer.wheel (-oneNotchAway);
    EXPECT_EQ (-24.12109375f, nearer.distance);

    ViewCamera limited;
    limited.nearestDistance = 10.0f;
    for (int i = 0; i < 200; ++i)
        limited.wheel (-oneNotchAway);
    EXPECT_EQ (-10.0f, limited.distance);

    for (int i = 0; i < 1000; ++i)
        limited.wheel (oneNotchAway);
    EXPECT_EQ (-500.0f, limited.distance);

    // When the near limit lies beyond the far one, the far one wins, whichever way the wheel turns.
    for (const float step : { oneNotchAway, -oneNotchAway })
    {
        ViewCamera crossed;
        crossed.nearestDistance = 600.0f;
        crossed.wheel (step);
        EXPECT_EQ (-500.0f, crossed.distance);
    }

    // A camera placed beyond the far limit comes back on the first step.
    ViewCamera beyond;
    beyond.distance = -900.0f;
    beyond.wheel (-oneNotchAway);
    EXPECT_EQ (-500.0f, beyond.distance);
}

TEST (Camera, ALoadPlacesTheCameraFromThreeHeaderWords)
{
    ViewCamera camera;
    camera.rotation = { 1, 2, 3 };
    camera.pan = { 4, 5 };
    camera.dragStartPan = { 6, 7 };
    camera.distance = -3;
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
    EXPECT_EQ (10.0f, camera.nearestDistance);

    camera.placeFromHeader (6.0f, 0.0f, 2.0f);   // a tie takes word 19: the same number either way
    EXPECT_EQ (-6.0f, camera.distance);

    camera.placeFromHeader (0.5f, 0.0f, 200.0f); // placed beyond the wheel's far limit
    EXPECT_EQ (-600.0f, camera.distance);
}

TEST (Camera, HeaderWordsThatAreNotNumbersLeaveAUsableCamera)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ViewCamera camera;

    camera.placeFromHeader (nan, 8.0f, 2.0f);    // word 0 not a number: word 19 decides
    EXPECT_EQ (-6.0f, camera.distance);
    EXPECT_EQ (0.1f, camera.nearestDistance);

    camera.placeFromHeader (12.0f, nan, nan);    // word 19 not a number: word 0 decides
    EXPECT_EQ (-12.0f, camera.distance);
    EXPECT_EQ (0.0f, camera.pan[1]);
    EXPECT_EQ (12.0f, camera.nearestDistance);

    camera.placeFromHeader (nan, 0.0f, std::numeric_limits<float>::infinity());
    EXPECT_EQ (-25.0f, camera.distance);

    // The mouse still works afterwards.
    camera.wheel (oneNotchAway);
    EXPECT_EQ (-25.87890625f, camera.distance);
    camera.buttonDown (false, true);
    camera.drag (false, true, 10, 0);
    EXPECT_TRUE (std::isfinite (camera.pan[0]));
}
