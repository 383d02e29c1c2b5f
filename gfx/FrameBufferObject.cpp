#include "gfx/FrameBufferObject.h"

#include <algorithm>

#include "gfx/FboErrors.h"
#include "gfx/Texture.h"

// The depth format the flags ask for, lowest set bit first; 0 for none.
static GLenum depthFormat(int flags)
{
    if (flags & FrameBufferObject::DepthBuffer16)
        return GL_DEPTH_COMPONENT16;
    if (flags & FrameBufferObject::DepthBuffer24)
        return GL_DEPTH_COMPONENT24;
    if (flags & FrameBufferObject::DepthBuffer32)
        return GL_DEPTH_COMPONENT32;
    return 0;
}

// A renderbuffer of that format and size, attached at attachment of the
// bound framebuffer; it stays the bound renderbuffer.
static GLuint attachRenderbuffer(GLenum format, GLenum attachment, int width, int height)
{
    GLuint name = 0;
    glGenRenderbuffersEXT(1, &name);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, name);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, format, width, height);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, attachment, GL_RENDERBUFFER_EXT, name);
    return name;
}

FrameBufferObject::FrameBufferObject() {}

FrameBufferObject::~FrameBufferObject()
{
    if (stencilBuffer)
        glDeleteRenderbuffersEXT(1, &stencilBuffer);
    if (depthBuffer)
        glDeleteRenderbuffersEXT(1, &depthBuffer);
    if (framebuffer)
        glDeleteFramebuffersEXT(1, &framebuffer);
    delete colorTexture;
}

void FrameBufferObject::create(int w, int h, int flags)
{
    if (!GLEW_EXT_framebuffer_object)
        failFramebufferExtensionMissing();
    if (w <= 0 || h <= 0)
        failFramebufferSizeNotPositive();

    height = h;
    width = w;
    colorTexture = new Texture(nullptr, w, h, true);
    colorTextureName = colorTexture->name;

    glGenFramebuffersEXT(1, &framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                              colorTextureName, 0);

    if (const GLenum format = depthFormat(flags))
        depthBuffer = attachRenderbuffer(format, GL_DEPTH_ATTACHMENT_EXT, w, h);
    if (flags & StencilBuffer)
        stencilBuffer = attachRenderbuffer(GL_STENCIL_INDEX, GL_STENCIL_ATTACHMENT_EXT, w, h);

    checkStatus();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

// An incomplete framebuffer is reported and kept: drawing into it then has
// no effect. Whoever cannot do without it asks isComplete().
void FrameBufferObject::checkStatus()
{
    const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    complete = status == GL_FRAMEBUFFER_COMPLETE_EXT;
    if (status == GL_FRAMEBUFFER_COMPLETE_EXT)
        reportFramebufferCreated(width, height);
    else if (status == GL_FRAMEBUFFER_UNSUPPORTED_EXT)
        reportFramebufferUnsupported();
    else
        reportFramebufferStatus(status);
}

void FrameBufferObject::bind()
{
    if (!framebuffer) {
        reportInvalidFramebuffer();
        return;
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
}

void FrameBufferObject::unbind()
{
    if (framebuffer)
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    if (depthBuffer)
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
}

void FrameBufferObject::attachColorTexture(Texture* texture, int index, GLuint name)
{
    if (!framebuffer) {
        reportInvalidFramebuffer();
        return;
    }
    const GLenum attachment = GL_COLOR_ATTACHMENT0_EXT + std::clamp(index, 0, 15);
    const GLuint textureName = name == static_cast<GLuint>(-1) ? texture->name : name;
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, attachment, GL_TEXTURE_2D, textureName, 0);
}
