// Tolmar MSH Viewer - where the window's and the panel's parts go, as plain numbers.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <juce_graphics/juce_graphics.h>

struct PanelLayout
{
    juce::Rectangle<int> tree, view, loadButton;
};

// The main panel of width × height: a 35-pixel button row on top; below it the tree, 250 wide with
// 5-pixel margins left and below; a 5-pixel gap; the 3-D view to the right edge.
PanelLayout mainPanelLayout (int width, int height) noexcept;

struct TitleBarButtons
{
    juce::Rectangle<int> minimise, maximise, close;
};

// Three square buttons of side titleBarHeight - 6, touching, ending 4 pixels inside the border.
TitleBarButtons titleBarButtonBounds (int windowWidth, int borderThickness, int titleBarHeight) noexcept;

// 5 while the window can be resized by its border and is not full screen, 3 otherwise.
int windowBorderThickness (bool resizableByBorder, bool fullScreen) noexcept;
