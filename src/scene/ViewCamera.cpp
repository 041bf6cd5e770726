// Tolmar MSH Viewer - the 3-D view's camera as a plain value: what the mouse and a load do to it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ViewCamera.h"

#include <algorithm>
#include <cmath>

void ViewCamera::buttonDown (bool left, bool right) noexcept
{
    if (left)
        dragStartRotation = rotation;

    if (right)
        dragStartPan = pan;
}

float ViewCamera::panFactor() const noexcept
{
    // 0.0016666667 is the float nearest 1/600; the sum is kept in float on purpose.
    return (-distance - nearestDistance * 0.8f) * 0.0016666667f;
}

void ViewCamera::drag (bool left, bool right, int dx, int dy) noexcept
{
    if (left)
    {
        rotation[1] = (float) dx * 0.2f + dragStartRotation[1];
        rotation[0] = (float) dy * 0.2f + dragStartRotation[0];
        return;
    }

    if (right)
    {
        const float f = panFactor();
        pan[0] = (float) dx * f + dragStartPan[0];
        pan[1] = dragStartPan[1] - (float) dy * f;
    }
}

void ViewCamera::buttonUp (bool left, bool right) noexcept
{
    if (left)
        dragStartRotation = {};

    if (right)
        dragStartPan = {};
}

void ViewCamera::wheel (float increment) noexcept
{
    distance = distance * 0.1f * increment + distance;

    if (distance > -nearestDistance)
        distance = -nearestDistance;

    // Checked second, so when the limits cross the far one wins.
    if (distance < -farthestDistance)
        distance = -farthestDistance;
}

void ViewCamera::resetForLoad() noexcept
{
    rotation = {};
    pan = {};
    distance = -25.0f;
    pivot = {};
    nearPlane = 1.0f;
    farthestDistance = 500.0f;
}

void ViewCamera::placeFromHeader (float word0, float word18, float word19) noexcept
{
    pan[0] = 0.0f;
    pan[1] = -(word18 * 0.5f);

    // The smaller (farther) of the two; on a tie, or when either is not a number, the second.
    const float fromWord0 = -word0;
    const float fromWord19 = -(word19 * 3.0f);
    distance = fromWord0 < fromWord19 ? fromWord0 : fromWord19;

    // A header word that is not a finite number would leave a camera no mouse could bring back: the
    // scene would stay invisible. Fall back to the other word, then to the start distance.
    if (! std::isfinite (distance))
        distance = std::isfinite (fromWord0) ? fromWord0 : -25.0f;

    nearestDistance = std::isfinite (word0) ? word0 : 0.1f;

    if (! std::isfinite (pan[1]))
        pan[1] = 0.0f;
}

float ViewCamera::wheelIncrement (float reported) noexcept
{
   #if defined (__linux__)
    return reported * notch / (50.0f / 256.0f); // 50/256 becomes 0.3515625, exactly
   #elif defined (_WIN32)
    return reported * notch / (60.0f / 256.0f); // 120 units a notch, halved by JUCE 7: 60/256 becomes 0.3515625
   #else
    return reported;
   #endif
}

std::array<ViewCamera::Vector, 3> ViewCamera::rotationMatrix() const noexcept
{
    // glRotate's counter-clockwise turns, applied as the frame does: about X of about Y of about Z.
    const auto angle = [] (float degrees) { return (double) degrees * 3.14159265358979323846 / 180.0; };
    const auto cx = std::cos (angle (rotation[0])), sx = std::sin (angle (rotation[0]));
    const auto cy = std::cos (angle (rotation[1])), sy = std::sin (angle (rotation[1]));
    const auto cz = std::cos (angle (rotation[2])), sz = std::sin (angle (rotation[2]));

    return { Vector { cy * cz, -cy * sz, sy },
             Vector { sx * sy * cz + cx * sz, -sx * sy * sz + cx * cz, -sx * cy },
             Vector { -cx * sy * cz + sx * sz, cx * sy * sz + sx * cz, cx * cy } };
}

namespace
{
    constexpr double tanHalfFieldOfView = 0.41421356237309503; // tan 22.5°
}

void ViewCamera::frame (const Vector& centre, double radius, double aspect) noexcept
{
    // The narrower of the two half angles decides; the sphere then just touches the view's edges.
    const auto halfAngle = std::atan (tanHalfFieldOfView * std::min (1.0, aspect > 0 ? aspect : 1.0));
    const auto depth = std::max (radius, 1e-6) / std::sin (halfAngle);

    pivot = centre;
    pan = {};
    distance = (float) -depth;
    nearestDistance = (float) (depth / 20);
    farthestDistance = (float) std::max (500.0, depth * 20);
    nearPlane = (float) std::min (1.0, depth / 100);
}

ViewCamera::Ray ViewCamera::rayThrough (double x, double y, int width, int height) const noexcept
{
    const auto aspect = height > 0 ? (double) width / height : 1.0;
    const Vector eyeDirection { (2 * x / std::max (width, 1) - 1) * tanHalfFieldOfView * aspect,
                                (1 - 2 * y / std::max (height, 1)) * tanHalfFieldOfView, -1.0 };
    const Vector eyeOffset { -(double) pan[0], -(double) pan[1], -(double) distance }; // the eye, less the translation
    const auto r = rotationMatrix();
    Ray ray;

    // The rotation's inverse is its transpose.
    for (size_t i = 0; i < 3; ++i)
    {
        ray.origin[i] = pivot[i] + r[0][i] * eyeOffset[0] + r[1][i] * eyeOffset[1] + r[2][i] * eyeOffset[2];
        ray.direction[i] = r[0][i] * eyeDirection[0] + r[1][i] * eyeDirection[1] + r[2][i] * eyeDirection[2];
    }

    return ray;
}
