// Tolmar MSH Viewer - the 3-D view's camera as a plain value: what the mouse and a load do to it.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "ViewCamera.h"

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
