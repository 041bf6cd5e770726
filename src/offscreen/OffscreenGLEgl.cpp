// Tolmar MSH Viewer - an OpenGL context with no display at all, drawing into a framebuffer object.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
#include "OffscreenGL.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <tuple>

namespace
{
    template <typename Function>
    Function entry (const char* name) { return reinterpret_cast<Function> (eglGetProcAddress (name)); }
}

Expected<std::unique_ptr<OffscreenGL>> OffscreenGL::make (int width, int height)
{
    // What was made before a step failed goes with gl.
    std::unique_ptr<OffscreenGL> gl (new OffscreenGL());
    const auto none = [] (const char* why) { return Failure { Failure::Kind::unsupported, why }; };

    const auto getPlatformDisplay = entry<PFNEGLGETPLATFORMDISPLAYEXTPROC> ("eglGetPlatformDisplayEXT");
    auto* dpy = getPlatformDisplay != nullptr ? getPlatformDisplay (EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr) : EGL_NO_DISPLAY;

    if (dpy == EGL_NO_DISPLAY || ! eglInitialize (dpy, nullptr, nullptr))
    {
        return none ("no EGL surfaceless display");
    }

    gl->display = dpy;
    const EGLint configAttributes[] = { EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE }; // no surface needed
    const EGLint contextAttributes[] = { EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE };
    EGLConfig config = nullptr;
    EGLint configs = 0;

    if (! eglBindAPI (EGL_OPENGL_API) || ! eglChooseConfig (dpy, configAttributes, &config, 1, &configs) || configs < 1
        || (gl->context = eglCreateContext (dpy, config, EGL_NO_CONTEXT, contextAttributes)) == EGL_NO_CONTEXT
        || ! eglMakeCurrent (dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, gl->context))
    {
        return none ("no OpenGL context without a surface");
    }

    // There is no default framebuffer: colour and depth go to renderbuffers of the frame's size.
    const auto genFramebuffers = entry<PFNGLGENFRAMEBUFFERSPROC> ("glGenFramebuffers");
    const auto bindFramebuffer = entry<PFNGLBINDFRAMEBUFFERPROC> ("glBindFramebuffer");
    const auto genRenderbuffers = entry<PFNGLGENRENDERBUFFERSPROC> ("glGenRenderbuffers");
    const auto bindRenderbuffer = entry<PFNGLBINDRENDERBUFFERPROC> ("glBindRenderbuffer");
    const auto renderbufferStorage = entry<PFNGLRENDERBUFFERSTORAGEPROC> ("glRenderbufferStorage");
    const auto framebufferRenderbuffer = entry<PFNGLFRAMEBUFFERRENDERBUFFERPROC> ("glFramebufferRenderbuffer");
    const auto checkFramebufferStatus = entry<PFNGLCHECKFRAMEBUFFERSTATUSPROC> ("glCheckFramebufferStatus");

    if (genFramebuffers == nullptr || bindFramebuffer == nullptr || genRenderbuffers == nullptr || bindRenderbuffer == nullptr
        || renderbufferStorage == nullptr || framebufferRenderbuffer == nullptr || checkFramebufferStatus == nullptr)
    {
        return none ("no framebuffer objects");
    }

    genFramebuffers (1, &gl->framebuffer);
    bindFramebuffer (GL_FRAMEBUFFER, gl->framebuffer);

    for (auto [name, format, attachment] : { std::tuple (&gl->colour, GL_RGBA8, GL_COLOR_ATTACHMENT0), std::tuple (&gl->depth, GL_DEPTH_COMPONENT24, GL_DEPTH_ATTACHMENT) })
    {
        genRenderbuffers (1, name);
        bindRenderbuffer (GL_RENDERBUFFER, *name);
        renderbufferStorage (GL_RENDERBUFFER, (GLenum) format, width, height);
        framebufferRenderbuffer (GL_FRAMEBUFFER, (GLenum) attachment, GL_RENDERBUFFER, *name);
    }

    if (checkFramebufferStatus (GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
    {
        return none ("the framebuffer is not complete");
    }

    glViewport (0, 0, width, height);
    return gl;
}

OffscreenGL::~OffscreenGL()
{
    if (display == nullptr)
        return;

    if (framebuffer != 0)
    {
        entry<PFNGLDELETERENDERBUFFERSPROC> ("glDeleteRenderbuffers") (1, &colour);
        entry<PFNGLDELETERENDERBUFFERSPROC> ("glDeleteRenderbuffers") (1, &depth);
        entry<PFNGLDELETEFRAMEBUFFERSPROC> ("glDeleteFramebuffers") (1, &framebuffer);
    }

    eglMakeCurrent (display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);

    if (context != nullptr)
        eglDestroyContext (display, context);

    eglTerminate (display);
}
