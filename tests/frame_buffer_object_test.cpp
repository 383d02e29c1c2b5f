// The frame-buffer object against the real GL: what `create` builds and
// reports for each set of flags, how statuses are worded, how an empty object
// refuses use, and the fatal size check.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "gfx/FboErrors.h"
#include "gfx/FrameBufferObject.h"
#include "gfx/Texture.h"
#include "support/GlTestWindow.h"

using namespace testing::internal;

TEST(FrameBufferObject, FlagsPickTheDepthFormatByTheirLowestBitAndAllIsAttachedReportedAndReleased)
{
    openTestWindow();
    const struct { int flags, depthBits, stencilBits; } cases[] = {
        {0, 0, 0}, {1, 16, 0}, {2, 24, 0}, {4, 32, 0}, {3, 16, 0}, {6, 24, 0}, {8, 0, 0}, {16, 0, 8}, {17, 16, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE("flags " + std::to_string(c.flags));
        auto* fbo = new FrameBufferObject;
        CaptureStdout();
        CaptureStderr();
        fbo->create(64, 32, c.flags);
        const std::string said = GetCapturedStdout() + GetCapturedStderr();
        EXPECT_EQ(glInt(GL_FRAMEBUFFER_BINDING_EXT), 0) << "create leaves the default framebuffer bound";
        const GLuint framebuffer = fbo->getFramebuffer(), texture = fbo->getColorTextureName();
        const GLuint depth = fbo->getDepthBuffer(), stencil = fbo->getStencilBuffer();
        fbo->bind();
        EXPECT_EQ(glInt(GL_DEPTH_BITS), c.depthBits);
        EXPECT_EQ(glInt(GL_STENCIL_BITS), c.stencilBits);
        EXPECT_EQ(glInt(GL_ALPHA_BITS), 8);
        // An incomplete one is reported in words and kept (llvmpipe cannot
        // combine separate depth and stencil renderbuffers).
        if (glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT)
            EXPECT_EQ(said, "Successfully created the frame buffer object (64 x 32)\n");
        else
            EXPECT_EQ(said, "Failed to create the frame buffer object, please verify your format\n");
        delete fbo;
        EXPECT_FALSE(glIsFramebufferEXT(framebuffer) || glIsTexture(texture) ||
                     (depth && glIsRenderbufferEXT(depth)) || (stencil && glIsRenderbufferEXT(stencil)));
    }
}

TEST(FrameBufferObject, AnObjectWithoutFramebufferRefusesUseWithOneLineEach)
{
    openTestWindow();
    FrameBufferObject fbo;
    Texture texture(nullptr, 16, 16, true);
    CaptureStderr();
    fbo.bind();
    fbo.attachColorTexture(&texture, 0, GLuint(-1));
    fbo.unbind();
    EXPECT_EQ(GetCapturedStderr(), "Invalid FrameBufferObject index\nInvalid FrameBufferObject index\n");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
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
    };
    for (const auto& [status, line] : cases) {
        CaptureStderr();
        reportFramebufferStatus(status);
        EXPECT_EQ(GetCapturedStderr(), line);
    }
}

// Each dying child re-runs its test alone in a fresh process with its own
// window. Without the functions that make framebuffers and renderbuffers, it
// crashes if it makes one before the check. (A missing extension is proven
// end to end by stage_e2e_test.sh, on a GL that really lacks it.)
TEST(FrameBufferObjectDeathTest, ASizeBelowOneEndsTheProcessWithCode2BeforeAnyFramebuffer)
{
    openTestWindow();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const auto& [w, h] : {std::pair{0, 512}, std::pair{512, -7}}) {
        EXPECT_EXIT(
            {
                glGenFramebuffersEXT = nullptr;
                glGenRenderbuffersEXT = nullptr;
                FrameBufferObject().create(w, h, FrameBufferObject::DepthBuffer24);
            },
            testing::ExitedWithCode(2), testing::StrEq("Width and height of FBO must be positive\n"))
            << w << " x " << h;
    }
}
