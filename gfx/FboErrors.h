// The off-screen rendering module's console texts: the frame-buffer object's
// and the stage's progress lines and error reports, with their exact wording.
// Progress goes to standard output, errors to standard error; the fatal ones
// end the process. Main thread.
#pragma once

#include <GL/glew.h>

// "GL_EXT_framebuffer_object not supported\n", then exit code 2.
[[noreturn]] void failFramebufferExtensionMissing();
// "Width and height of FBO must be positive\n", then exit code 2.
[[noreturn]] void failFramebufferSizeNotPositive();

// "Successfully created the frame buffer object (%i x %i)\n" on standard output.
void reportFramebufferCreated(int width, int height);
// "Failed to create the frame buffer object, please verify your format\n".
void reportFramebufferUnsupported();
// "OpenGL FBO error: %s\n" with the status name for the extension's
// statuses, "OpenGL FBO: error number = 0x%X\n" for any other value.
void reportFramebufferStatus(GLenum status);
// The name of one of the extension's incomplete statuses, or null.
const char* framebufferStatusName(GLenum status);
// A framebuffer the process draws every frame into (the stage's own, or a
// renderer's stand-in for the window) came out incomplete at start-up, its
// status line just written: every frame would be lost or crash the driver
// (short of memory, Mesa gives such a framebuffer), so exit code 2, no more text.
[[noreturn]] void failFramebufferIncompleteAtStartup();

// "Invalid FrameBufferObject index\n": use of an object without a framebuffer.
void reportInvalidFramebuffer();

// "FBO Requested size: %i, %i\n" on standard output: the stage's size.
void reportStageSize(int width, int height);
