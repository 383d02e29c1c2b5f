// OffscreenGlContext: an OpenGL context without any window or display, on
// Mesa's EGL surfaceless platform (the compatibility profile the show's
// immediate-mode drawing needs). It has no default framebuffer: whoever draws
// binds a framebuffer object of its own. Made, used and released on the main
// thread; it stays current on that thread while it lives.
#pragma once

#include <string>

class OffscreenGlContext {
public:
    // Makes the context and makes it current; ok() tells whether that worked
    // and error() why not.
    OffscreenGlContext();
    virtual ~OffscreenGlContext();

    OffscreenGlContext(const OffscreenGlContext&) = delete;
    OffscreenGlContext& operator=(const OffscreenGlContext&) = delete;

    bool ok() const { return context_ != nullptr; }
    const std::string& error() const { return error_; }

private:
    void fail(const char* step);

    void* display_ = nullptr;
    void* context_ = nullptr;
    std::string error_;
};
