// Tolmar MSH Viewer - where the window's and the panel's parts go, as plain numbers.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "Layout.h"

PanelLayout mainPanelLayout (int width, int height) noexcept
{
    return { { 5, 35, 250, height - 40 },
             { 260, 35, width - 260, height - 40 },
             { width - 80, 5, 75, 25 } };
}

TitleBarButtons titleBarButtonBounds (int windowWidth, int borderThickness, int titleBarHeight) noexcept
{
    const auto t = borderThickness;
    const auto s = titleBarHeight - 6;
    const auto y = t + (titleBarHeight - s) / 2 - 1;

    return { { windowWidth - 3 * s - t - 4, y, s, s },
             { windowWidth - (2 * s + 4) - t, y, s, s },
             { windowWidth - s - t - 4, y, s, s } };
}

int windowBorderThickness (bool resizableByBorder, bool fullScreen) noexcept
{
    return resizableByBorder && ! fullScreen ? 5 : 3;
}
