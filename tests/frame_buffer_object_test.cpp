// The frame-buffer object against the real GL: what `create` builds for each
// set of flags, where drawing lands, how statuses are worded, how an empty
// object refuses use, and the two fatal set-up failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "gfx/FboErrors.h"
#include "gfx/FrameBufferObject.h"
#include "gfx/Texture.h"
#include "support/GlTestWindow.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

// Once armed (in a dying child only), every texture, framebuffer or
// renderbuffer that is made writes a line on standard error, so that a death
// test expecting one exact message also proves that no GL object was made.
static bool sReportObjects = false;

extern "C" void glGenTextures(GLsizei n, GLuint* names)
{
    using Gen = void (*)(GLsizei, GLuint*);
    static const Gen real = reinterpret_cast<Gen>(dlsym(RTLD_NEXT, "glGenTextures"));
    if (sReportObjects)
        fputs("a texture was made\n", stderr);
    real(n, names);
}

static PFNGLGENFRAMEBUFFERSEXTPROC sRealGenFramebuffers;
static PFNGLGENRENDERBUFFERSEXTPROC sRealGenRenderbuffers;

static void GLAPIENTRY reportingGenFramebuffers(GLsizei n, GLuint* names)
{
    fputs("a framebuffer was made\n", stderr);
    sRealGenFramebuffers(n, names);
}

static void GLAPIENTRY reportingGenRenderbuffers(GLsizei n, GLuint* names)
{
    fputs("a renderbuffer was made\n", stderr);
    sRealGenRenderbuffers(n, names);
}

static void reportEveryGlObject()
{
    sReportObjects = true;
    sRealGenFramebuffers = glGenFramebuffersEXT;
    sRealGenRenderbuffers = glGenRenderbuffersEXT;
    glGenFramebuffersEXT = reportingGenFramebuffers;
    glGenRenderbuffersEXT = reportingGenRenderbuffers;
}

static bool extensionMissing() { return false; }

// The GL_RENDERBUFFER_INTERNAL_FORMAT of a renderbuffer.
static GLint renderbufferFormat(GLuint renderbuffer)
{
    GLint format = 0;
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, renderbuffer);
    glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_INTERNAL_FORMAT_EXT,
                                    &format);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    return format;
}

// The GL name attached at attachment of the bound framebuffer.
static GLint attachedName(GLenum attachment)
{
    GLint name = 0;
    glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, attachment,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &name);
    return name;
}

static GLint boundFramebuffer()
{
    GLint name = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &name);
    return name;
}

class FrameBufferObjectTest : public testing::Test {
protected:
    void SetUp() override { openTestWindow(); }
};

TEST_F(FrameBufferObjectTest, CreateBuildsAnRgbaTextureOfTheSizeAndReportsSuccess)
{
    FrameBufferObject fbo;
    CaptureStdout();
    CaptureStderr();
    fbo.create(1024, 512, FrameBufferObject::DepthBuffer24);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(GetCapturedStdout(), "Successfully created the frame buffer object (1024 x 512)\n");

    EXPECT_EQ(boundFramebuffer(), 0) << "create leaves the default framebuffer bound";
    EXPECT_EQ(fbo.getWidth(), 1024);
    EXPECT_EQ(fbo.getHeight(), 512);
    ASSERT_NE(fbo.getColorTexture(), nullptr);
    EXPECT_EQ(fbo.getColorTextureName(), fbo.getColorTexture()->name);

    GLint w = 0, h = 0, format = 0;
    glBindTexture(GL_TEXTURE_2D, fbo.getColorTextureName());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 512);
    EXPECT_EQ(format, GL_RGBA8);
}

TEST_F(FrameBufferObjectTest, FlagsPickTheDepthFormatByTheirLowestBitAndAddStencilOnRequest)
{
    struct Case {
        int flags;
        GLenum depth;  // 0: no depth buffer
        bool stencil;
    };
    const Case cases[] = {
        {0, 0, false},
        {1, GL_DEPTH_COMPONENT16, false},
        {2, GL_DEPTH_COMPONENT24, false},
        {4, GL_DEPTH_COMPONENT32, false},
        {3, GL_DEPTH_COMPONENT16, false},
        {6, GL_DEPTH_COMPONENT24, false},
        {7, GL_DEPTH_COMPONENT16, false},
        {8, 0, false},
        {16, 0, true},
        {16 | 2, GL_DEPTH_COMPONENT24, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("flags " + std::to_string(c.flags));
        FrameBufferObject fbo;
        CaptureStdout();
        CaptureStderr();
        fbo.create(64, 64, c.flags);
        GetCapturedStdout();
        GetCapturedStderr();

        if (c.depth) {
            ASSERT_NE(fbo.getDepthBuffer(), 0u);
            EXPECT_EQ(renderbufferFormat(fbo.getDepthBuffer()), static_cast<GLint>(c.depth));
        } else {
            EXPECT_EQ(fbo.getDepthBuffer(), 0u);
        }
        if (c.stencil) {
            ASSERT_NE(fbo.getStencilBuffer(), 0u);
            EXPECT_EQ(renderbufferFormat(fbo.getStencilBuffer()), GL_STENCIL_INDEX);
        } else {
            EXPECT_EQ(fbo.getStencilBuffer(), 0u);
        }

        fbo.bind();
        EXPECT_EQ(attachedName(GL_COLOR_ATTACHMENT0_EXT),
                  static_cast<GLint>(fbo.getColorTextureName()));
        EXPECT_EQ(attachedName(GL_DEPTH_ATTACHMENT_EXT), static_cast<GLint>(fbo.getDepthBuffer()));
        EXPECT_EQ(attachedName(GL_STENCIL_ATTACHMENT_EXT),
                  static_cast<GLint>(fbo.getStencilBuffer()));
        fbo.unbind();
    }
}

TEST_F(FrameBufferObjectTest, AttachColorTextureClampsANegativeIndexAndTakesMinusOneAsTheTexturesName)
{
    FrameBufferObject fbo;
    CaptureStdout();
    fbo.create(64, 64, 0);
    GetCapturedStdout();
    Texture extra(nullptr, 64, 64, true);
    Texture other(nullptr, 64, 64, true);

    fbo.bind();
    fbo.attachColorTexture(&extra, -3, static_cast<GLuint>(-1));
    EXPECT_EQ(attachedName(GL_COLOR_ATTACHMENT0_EXT), static_cast<GLint>(extra.name));
    fbo.attachColorTexture(&extra, 1, other.name);
    EXPECT_EQ(attachedName(GL_COLOR_ATTACHMENT1_EXT), static_cast<GLint>(other.name));

    fbo.unbind();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameBufferObjectTest, AnIncompleteFramebufferIsReportedInWordsAndKept)
{
    // Separate depth and stencil renderbuffers: llvmpipe cannot combine them.
    FrameBufferObject fbo;
    CaptureStdout();
    CaptureStderr();
    fbo.create(64, 64, FrameBufferObject::DepthBuffer24 | FrameBufferObject::StencilBuffer);
    const std::string out = GetCapturedStdout();
    const std::string err = GetCapturedStderr();

    fbo.bind();
    const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    fbo.unbind();
    if (status != GL_FRAMEBUFFER_UNSUPPORTED_EXT)
        GTEST_SKIP() << "this GL combines separate depth and stencil buffers";
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "Failed to create the frame buffer object, please verify your format\n");
    EXPECT_NE(fbo.getFramebuffer(), 0u);
    EXPECT_NE(fbo.getColorTexture(), nullptr);
}

TEST_F(FrameBufferObjectTest, AnObjectWithoutFramebufferRefusesUseWithOneLineEach)
{
    auto* fbo = new FrameBufferObject;
    Texture texture(nullptr, 16, 16, true);
    CaptureStderr();
    fbo->bind();
    fbo->attachColorTexture(&texture, 0, static_cast<GLuint>(-1));
    fbo->unbind();
    EXPECT_EQ(GetCapturedStderr(),
              "Invalid FrameBufferObject index\nInvalid FrameBufferObject index\n");
    EXPECT_EQ(boundFramebuffer(), 0);
    EXPECT_EQ(fbo->getWidth(), 0);
    delete fbo;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameBufferObjectTest, DestroyingReleasesTheFramebufferRenderbuffersAndTexture)
{
    auto* fbo = new FrameBufferObject;
    CaptureStdout();
    CaptureStderr();
    fbo->create(32, 32, FrameBufferObject::DepthBuffer16 | FrameBufferObject::StencilBuffer);
    GetCapturedStdout();
    GetCapturedStderr();
    const GLuint framebuffer = fbo->getFramebuffer();
    const GLuint depth = fbo->getDepthBuffer();
    const GLuint stencil = fbo->getStencilBuffer();
    const GLuint texture = fbo->getColorTextureName();
    ASSERT_TRUE(glIsFramebufferEXT(framebuffer));
    ASSERT_TRUE(glIsRenderbufferEXT(depth));
    ASSERT_TRUE(glIsRenderbufferEXT(stencil));
    ASSERT_TRUE(glIsTexture(texture));

    delete fbo;
    EXPECT_FALSE(glIsFramebufferEXT(framebuffer));
    EXPECT_FALSE(glIsRenderbufferEXT(depth));
    EXPECT_FALSE(glIsRenderbufferEXT(stencil));
    EXPECT_FALSE(glIsTexture(texture));
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
        {0x8CD5, "OpenGL FBO: error number = 0x8CD5\n"},
        {0x8CDE, "OpenGL FBO: error number = 0x8CDE\n"},
        {0, "OpenGL FBO: error number = 0x0\n"},
    };
    for (const auto& [status, line] : cases) {
        CaptureStderr();
        reportFramebufferStatus(status);
        EXPECT_EQ(GetCapturedStderr(), line);
    }
}

// The dying children re-run their test alone in a fresh process, with their
// own window: nothing of the parent's GL connection is shared.
class FrameBufferObjectDeathTest : public FrameBufferObjectTest {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        FrameBufferObjectTest::SetUp();
    }
};

TEST_F(FrameBufferObjectDeathTest, AMissingExtensionEndsTheProcessWithCode2BeforeAnyGlObject)
{
    EXPECT_EXIT(
        {
            reportEveryGlObject();
            gFramebufferExtensionAvailable = extensionMissing;
            FrameBufferObject fbo;
            fbo.create(1024, 1024, FrameBufferObject::DepthBuffer24);
        },
        testing::ExitedWithCode(2), testing::StrEq("GL_EXT_framebuffer_object not supported\n"));
}

TEST_F(FrameBufferObjectDeathTest, ASizeBelowOneEndsTheProcessWithCode2BeforeAnyGlObject)
{
    const std::pair<int, int> sizes[] = {{0, 512}, {512, 0}, {-1, 512}, {512, -7}, {0, 0}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        EXPECT_EXIT(
            {
                reportEveryGlObject();
                FrameBufferObject fbo;
                fbo.create(w, h, FrameBufferObject::DepthBuffer24);
            },
            testing::ExitedWithCode(2),
            testing::StrEq("Width and height of FBO must be positive\n"));
    }
}
