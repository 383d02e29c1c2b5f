#include "render/OffscreenGlContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

OffscreenGlContext::OffscreenGlContext()
{
    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        fail("eglGetPlatformDisplayEXT is missing");
        return;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        fail("no surfaceless EGL display");
        return;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        fail("eglInitialize failed");
        return;
    }
    display_ = display;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        fail("eglBindAPI(EGL_OPENGL_API) failed");
        return;
    }
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                 EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, attributes, &config, 1, &count) || count < 1) {
        fail("no EGL config for desktop OpenGL");
        return;
    }
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        fail("eglCreateContext failed");
        return;
    }
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        eglDestroyContext(display, context);
        fail("eglMakeCurrent failed");
        return;
    }
    context_ = context;
}

OffscreenGlContext::~OffscreenGlContext()
{
    if (context_) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
    }
    if (display_)
        eglTerminate(display_);
}

void OffscreenGlContext::fail(const char* step)
{
    char text[160];
    snprintf(text, sizeof text, "%s (EGL error 0x%04X)", step, static_cast<unsigned>(eglGetError()));
    error_ = text;
}
