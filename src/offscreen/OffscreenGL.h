// Tolmar MSH Viewer - an OpenGL context with no display at all, drawing into a framebuffer object.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include "msh/Expected.h"

#include <memory>

// EGL's surfaceless platform (Mesa): no X server, no window manager and no GPU needed, a GPU used where
// there is one. The context is current from construction to destruction, its viewport the whole frame.
class OffscreenGL final
{
public:
    // A context current on this thread, drawing into a frame of width × height; or why there is none.
    static Expected<std::unique_ptr<OffscreenGL>> make (int width, int height);
    ~OffscreenGL();

    OffscreenGL (const OffscreenGL&) = delete;
    OffscreenGL& operator= (const OffscreenGL&) = delete;

private:
    OffscreenGL() = default;

    void* display = nullptr;
    void* context = nullptr;
    unsigned int framebuffer = 0, colour = 0, depth = 0;
};
