#include "gfx/FboErrors.h"

#include <cstdio>

#include "base/FatalExit.h"

[[noreturn]] static void endProcess(const char* message)
{
    endProcessWithReport(2, "%s", message);
}

// The framebuffer reports are error lines written at start-up: what was
// printed before them is written out first, so they keep their place.

void failFramebufferExtensionMissing()
{
    endProcess("GL_EXT_framebuffer_object not supported\n");
}

void failFramebufferSizeNotPositive()
{
    endProcess("Width and height of FBO must be positive\n");
}

void failFramebufferIncompleteAtStartup()
{
    endProcessAfterFailure(2);
}

void reportFramebufferCreated(int width, int height)
{
    printf("Successfully created the frame buffer object (%i x %i)\n", width, height);
}

void reportFramebufferUnsupported()
{
    writeOutPrintedLines();
    fprintf(stderr, "Failed to create the frame buffer object, please verify your format\n");
}

const char* framebufferStatusName(GLenum status)
{
    switch (status) {
    case 0x8CD6: return "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT";
    case 0x8CD7: return "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT";
    case 0x8CD8: return "GL_FRAMEBUFFER_INCOMPLETE_DUPLICATE_ATTACHMENT_EXT";
    case 0x8CD9: return "GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT";
    case 0x8CDA: return "GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT";
    case 0x8CDB: return "GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT";
    case 0x8CDC: return "GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT";
    case 0x8CDD: return "GL_FRAMEBUFFER_UNSUPPORTED_EXT";
    default: return nullptr;
    }
}

void reportFramebufferStatus(GLenum status)
{
    writeOutPrintedLines();
    if (const char* name = framebufferStatusName(status))
        fprintf(stderr, "OpenGL FBO error: %s\n", name);
    else
        fprintf(stderr, "OpenGL FBO: error number = 0x%X\n", status);
}

void reportInvalidFramebuffer()
{
    fprintf(stderr, "Invalid FrameBufferObject index\n");
}

void reportStageSize(int width, int height)
{
    printf("FBO Requested size: %i, %i\n", width, height);
}
