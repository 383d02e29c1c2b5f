// FrameBufferObject: one off-screen framebuffer of GL_EXT_framebuffer_object
// with an RGBA colour texture as colour attachment 0 and optional depth and
// stencil renderbuffers. Owns and releases all of them. Main thread only,
// with the GL context current and the extension loader initialised.
#pragma once

#include <GL/glew.h>

class Texture;

class FrameBufferObject {
public:
    // Attachment flags for `create`. Of the depth flags the lowest set bit
    // wins; without one there is no depth buffer.
    enum Flags {
        DepthBuffer16 = 1,
        DepthBuffer24 = 2,
        DepthBuffer32 = 4,
        StencilBuffer = 16,
    };

    // Empty: no GL object until `create`.
    FrameBufferObject();
    virtual ~FrameBufferObject();
    FrameBufferObject(const FrameBufferObject&) = delete;
    FrameBufferObject& operator=(const FrameBufferObject&) = delete;

    // Builds the framebuffer and its attachments, reports its completeness
    // and leaves the default framebuffer bound. A missing extension or a
    // size below 1 ends the process (exit code 2) before any GL object is made.
    void create(int width, int height, int flags);

    // Drawing goes to the colour texture until `unbind`; the viewport is the
    // caller's. Without a framebuffer, one error line and nothing else.
    void bind();
    void unbind();

    // Attaches texture (or, with name -1, texture's own GL name) as colour
    // attachment index, clamped to 0..15, of the framebuffer bound now.
    void attachColorTexture(Texture* texture, int index, GLuint name);

    // Whether `create` found the framebuffer complete.
    bool isComplete() const { return complete; }

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    GLuint getFramebuffer() const { return framebuffer; }
    GLuint getDepthBuffer() const { return depthBuffer; }
    GLuint getStencilBuffer() const { return stencilBuffer; }
    GLuint getColorTextureName() const { return colorTextureName; }
    Texture* getColorTexture() const { return colorTexture; }

private:
    void checkStatus();

    int width = 0;
    int height = 0;
    GLuint framebuffer = 0;
    GLuint depthBuffer = 0;
    GLuint stencilBuffer = 0;
    GLuint colorTextureName = 0;
    Texture* colorTexture = nullptr;
    bool complete = false;
};
