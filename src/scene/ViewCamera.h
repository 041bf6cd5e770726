// Tolmar MSH Viewer - the 3-D view's camera as a plain value: what the mouse and a load do to it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <array>

// The frame applies it as: translate by (pan.x, pan.y, distance), then rotate about X, Y and Z by
// rotation (degrees), then translate by -pivot. distance is negative: the scene lies in front of the eye.
struct ViewCamera
{
    using Vector = std::array<double, 3>;

    std::array<float, 3> rotation {};          // x, y, z in degrees; the mouse turns x and y only
    std::array<float, 3> dragStartRotation {};
    std::array<float, 2> dragStartPan {};
    std::array<float, 2> pan {};               // x, y in GL units
    float distance = -25.0f;
    float nearestDistance = 0.1f;              // the wheel brings the camera no nearer
    float farthestDistance = 500.0f;           // nor farther; the far plane lies at twice this
    Vector pivot {};                           // the scene point turned and zoomed about: the origin until framing
    float nearPlane = 1.0f;                    // the perspective's near clipping plane

    // A button went down: remembers where a turn (left) or a move (right) starts from.
    void buttonDown (bool left, bool right) noexcept;

    // A drag of (dx, dy) pixels from where the button went down (y grows downwards). Left turns
    // 0.2 degrees a pixel (and wins over right); right moves the scene with the mouse at any distance.
    void drag (bool left, bool right, int dx, int dy) noexcept;

    // The buttons of the release (the released one included) forget their start values.
    void buttonUp (bool left, bool right) noexcept;

    // One wheel step of the given increment (+0.3515625 a notch away from the user on a standard
    // wheel): the distance changes by a tenth of the increment relative to itself, within the limits.
    void wheel (float increment) noexcept;

    // What every load does first: no rotation, no pan, distance -25.
    void resetForLoad() noexcept;

    // After a successful load, from header words 0, 18 and 19: pan.y from word 18, the distance backs
    // off by the larger of word 0 and three times word 19, and word 0 becomes the nearest distance.
    void placeFromHeader (float word0, float word18, float word19) noexcept;

    // Scene units a pixel of right-drag moves, at the current distance.
    float panFactor() const noexcept;

    // The increment of one notch of a standard wheel: 120 units × 0.75, over 256.
    static constexpr float notch = 120 * 0.75f / 256;

    // What the wheel reports on this platform, as that increment: JUCE 7 reports 50/256 a notch on X11 and
    // 60/256 on Windows; a smooth-scrolling device stays proportional.
    static float wheelIncrement (float reported) noexcept;

    // The rotation as rows of a matrix that turns a scene direction into an eye direction.
    std::array<Vector, 3> rotationMatrix() const noexcept;

    // Centres a sphere in a view of the given aspect (width / height) as large as the 45° field of view
    // lets it be, keeping the rotation: the pivot goes to the centre, the pan to 0, and the zoom limits,
    // the far plane and the near plane follow the new distance.
    void frame (const Vector& centre, double radius, double aspect) noexcept;

    // The ray through a point of a view of width × height pixels (x right, y down), in scene coordinates:
    // the eye, and a direction whose length makes the ray's parameter the depth in front of the eye.
    struct Ray
    {
        Vector origin, direction;
    };

    Ray rayThrough (double x, double y, int width, int height) const noexcept;
};
