// Tolmar MSH Viewer - an OpenGL context with no display at all, drawing into a framebuffer object.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// EGL's surfaceless platform (Mesa): no X server, no window manager and no GPU needed, a GPU used where
// there is one. The context is current from construction to destruction, its viewport the whole frame.
class OffscreenGL final
{
public:
    OffscreenGL (int width, int height);
    ~OffscreenGL();

    // Empty when the context is ready; else why not.
    const std::string& error() const noexcept  { return problem; }

    OffscreenGL (const OffscreenGL&) = delete;
    OffscreenGL& operator= (const OffscreenGL&) = delete;

private:
    std::string problem;
    void* display = nullptr;
    void* context = nullptr;
    unsigned int framebuffer = 0, colour = 0, depth = 0;
};
