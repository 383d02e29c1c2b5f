// The frame-buffer object against the real GL: what `create` builds and
// reports for each set of flags, how statuses are worded, how an empty object
// refuses use, and the two fatal set-up failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "gfx/FboErrors.h"
#include "gfx/FrameBufferObject.h"
#include "gfx/Texture.h"
#include "support/GlTestWindow.h"

using namespace testing::internal;

// Once armed (in a dying child only), making a texture, framebuffer or
// renderbuffer writes a line on standard error, so that a death test that
// expects one exact message also proves that no GL object was made.
static bool sReportObjects = false;

extern "C" void glGenTextures(GLsizei n, GLuint* names)
{
    static const auto real = reinterpret_cast<void (*)(GLsizei, GLuint*)>(dlsym(RTLD_NEXT, "glGenTextures"));
    if (sReportObjects)
        fputs("a texture was made\n", stderr);
    real(n, names);
}

static void GLAPIENTRY reportGenBuffer(GLsizei, GLuint*) { fputs("a buffer was made\n", stderr); }

static GLint renderbufferFormat(GLuint renderbuffer)
{
    GLint format = 0;
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, renderbuffer);
    glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_INTERNAL_FORMAT_EXT, &format);
    return format;
}

// The GL name attached at attachment of the bound framebuffer.
static GLuint attachedName(GLenum attachment)
{
    GLint name = 0;
    glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, attachment,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &name);
    return static_cast<GLuint>(name);
}

class FrameBufferObjectTest : public testing::Test {
protected:
    void SetUp() override { openTestWindow(); }
};

TEST_F(FrameBufferObjectTest, FlagsPickTheDepthFormatByTheirLowestBitAndAllIsAttachedReportedAndReleased)
{
    const struct {
        int flags;
        GLenum depth;  // 0: no depth buffer
        bool stencil;
    } cases[] = {
        {0, 0, false}, {1, GL_DEPTH_COMPONENT16, false}, {2, GL_DEPTH_COMPONENT24, false},
        {4, GL_DEPTH_COMPONENT32, false}, {3, GL_DEPTH_COMPONENT16, false},
        {6, GL_DEPTH_COMPONENT24, false}, {8, 0, false}, {16, 0, true},
        {16 | 1, GL_DEPTH_COMPONENT16, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("flags " + std::to_string(c.flags));
        auto* fbo = new FrameBufferObject;
        CaptureStdout();
        CaptureStderr();
        fbo->create(64, 32, c.flags);
        const std::string out = GetCapturedStdout(), err = GetCapturedStderr();
        GLint bound = -1, format = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
        EXPECT_EQ(bound, 0) << "create leaves the default framebuffer bound";
        const GLuint framebuffer = fbo->getFramebuffer(), texture = fbo->getColorTextureName();
        const GLuint depth = fbo->getDepthBuffer(), stencil = fbo->getStencilBuffer();
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_EQ(format, GL_RGBA8);
        EXPECT_EQ(depth ? renderbufferFormat(depth) : 0, static_cast<GLint>(c.depth));
        EXPECT_EQ(stencil ? renderbufferFormat(stencil) : 0, c.stencil ? GL_STENCIL_INDEX : 0);

        fbo->bind();
        EXPECT_EQ(attachedName(GL_COLOR_ATTACHMENT0_EXT), texture);
        EXPECT_EQ(attachedName(GL_DEPTH_ATTACHMENT_EXT), depth);
        EXPECT_EQ(attachedName(GL_STENCIL_ATTACHMENT_EXT), stencil);
        // An incomplete one is reported in words and kept (llvmpipe cannot
        // combine separate depth and stencil renderbuffers).
        if (glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT)
            EXPECT_EQ(out + err, "Successfully created the frame buffer object (64 x 32)\n");
        else
            EXPECT_EQ(out + err, "Failed to create the frame buffer object, please verify your format\n");
        delete fbo;
        EXPECT_FALSE(glIsFramebufferEXT(framebuffer) || glIsTexture(texture) ||
                     (depth && glIsRenderbufferEXT(depth)) || (stencil && glIsRenderbufferEXT(stencil)));
    }
}

TEST_F(FrameBufferObjectTest, AnObjectWithoutFramebufferRefusesUseWithOneLineEach)
{
    FrameBufferObject fbo;
    Texture texture(nullptr, 16, 16, true);
    CaptureStderr();
    fbo.bind();
    fbo.attachColorTexture(&texture, 0, static_cast<GLuint>(-1));
    fbo.unbind();
    EXPECT_EQ(GetCapturedStderr(), "Invalid FrameBufferObject index\nInvalid FrameBufferObject index\n");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(FramebufferStatusReport, NamesTheExtensionsStatusesAndPrintsOthersInHex)
{
    const std::pair<GLenum, const char*> cases[] = {
        {0x8CD6, "OpenGL FBO error: GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT\n"},
        {0x8CD7, "OpenGL FBO error: GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT\n"},
        {0x8CD8, "OpenGL FBO error: GL_FRAMEBUFFER_INCOMPLETE_DUPLICATE_ATTACHMENT_EXT\n"},
        {0x8CD9, "OpenGL FBO error: GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT\n"},
        {0x8CDA, "OpenGL FBO error: GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT\n"},
        {0x8CDB, "OpenGL FBO error: GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT\n"},
        {0x8CDC, "OpenGL FBO error: GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT\n"},
        {0x8CDD, "OpenGL FBO error: GL_FRAMEBUFFER_UNSUPPORTED_EXT\n"},
        {0x8CDE, "OpenGL FBO: error number = 0x8CDE\n"},
        {0, "OpenGL FBO: error number = 0x0\n"},
    };
    for (const auto& [status, line] : cases) {
        CaptureStderr();
        reportFramebufferStatus(status);
        EXPECT_EQ(GetCapturedStderr(), line);
    }
}

// Each dying child re-runs its test alone in a fresh process with its own window.
using FrameBufferObjectDeathTest = FrameBufferObjectTest;

TEST_F(FrameBufferObjectDeathTest, AMissingExtensionOrASizeBelowOneEndsTheProcessWithCode2BeforeAnyGlObject)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        bool extension;
        int w, h;
        const char* message;
    } cases[] = {
        {false, 1024, 1024, "GL_EXT_framebuffer_object not supported\n"},
        {true, 0, 512, "Width and height of FBO must be positive\n"},
        {true, 512, -7, "Width and height of FBO must be positive\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        EXPECT_EXIT(
            {
                sReportObjects = true;
                glGenFramebuffersEXT = glGenRenderbuffersEXT = reportGenBuffer;
                if (!c.extension)
                    gFramebufferExtensionAvailable = [] { return false; };
                FrameBufferObject().create(c.w, c.h, FrameBufferObject::DepthBuffer24);
            },
            testing::ExitedWithCode(2), testing::StrEq(c.message));
    }
}
