#include "gfx/FboStage.h"

#include <climits>
#include <cstdlib>

#include "gfx/FboErrors.h"
#include "gfx/FrameBufferObject.h"
#include "gfx/RenderState.h"
#include "gfx/Texture.h"

// Shared state of the feedback pass: its copy texture, made on the first
// call and kept to the end of the process. Main thread.
static Texture* sCopyTexture = nullptr;

int FboStage::stageSize(int n)
{
    if (n < 1 || n > (INT_MAX / 2) + 1)
        return 0;
    int size = 1;
    while (size < n)
        size *= 2;
    return size;
}

FboStage::FboStage(int windowWidth, int windowHeight)
    : width(stageSize(windowWidth)), height(stageSize(windowHeight))
{
    reportStageSize(width, height);
    fbo = new FrameBufferObject;
    fbo->create(width, height, FrameBufferObject::DepthBuffer24);
    if (!fbo->isComplete())
        failFramebufferIncompleteAtStartup();
}

FboStage::~FboStage()
{
    if (fbo) {
        fbo->unbind();
        delete fbo;
    }
}

// State set: the viewport, at the stage's size until `end` pops it, and the
// draw framebuffer, until `end` binds the one found here again.
void FboStage::begin()
{
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &previousFramebuffer);
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, width, height);
    fbo->bind();
}

void FboStage::end()
{
    fbo->unbind();
    if (previousFramebuffer != 0)
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, static_cast<GLuint>(previousFramebuffer));
    glPopAttrib();
}

GLuint FboStage::texture() const
{
    return fbo->getColorTextureName();
}

FboStage::TexRect FboStage::shakeRect(float p)
{
    // A fresh draw in 0..1 each; RAND_MAX is the generator's own range.
    auto draw = [] { return static_cast<double>(rand()) * (1.0 / RAND_MAX); };
    TexRect rect;
    rect.t1 = static_cast<float>(1.0 - draw() * p);
    rect.s1 = static_cast<float>(1.0 - draw() * p);
    rect.t0 = static_cast<float>(draw() * p);
    rect.s0 = static_cast<float>(draw() * p);
    return rect;
}

// The texture binding and the white colour are left in place on purpose:
// the next frame starts with them.
void FboStage::drawFinalPass(float shake) const
{
    glBindTexture(GL_TEXTURE_2D, texture());
    glColor3f(1, 1, 1);
    const double amount = shake;
    const TexRect r = shakeRect(static_cast<float>(amount * amount));
    drawTexturedScreenQuad(r.s0, r.t0, r.s1, r.t1);
}

// State set, restored by the attribute pop: blending on with the inverting
// function, alpha writes off, so the stage stays as opaque as it was when the
// final pass shows it. The screen quad itself turns culling, depth, lighting
// and texturing off.
void FboStage::invertOverlay(float amount)
{
    if (amount <= 0)
        return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ONE_MINUS_SRC_COLOR);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    drawScreenQuad(amount, amount, amount, 1.0f);
    glPopAttrib();
}

const Texture* FboStage::copyTexture()
{
    return sCopyTexture;
}

namespace {

// Where the stage's image lies in the copy texture: its size in pixels, the
// whole block (sW, tH) and its quarter (qs, qt) in texture coordinates.
struct CopyBlock {
    int W, H;
    double sW, tH, qs, qt;
};

// Makes the copy texture on the first call and finds the block in it.
CopyBlock copyBlockFor(int W, int H)
{
    if (!sCopyTexture)
        sCopyTexture = new Texture(nullptr, 1024, W > 480 ? 1024 : 512, false);
    // The texture may have been made by a stage of another width, so its own
    // height is the one that maps texels to coordinates.
    const int T = sCopyTexture->height;
    return CopyBlock{W, H, W / 1024.0, static_cast<double>(H) / T, W * 0.5 / 1024.0, H * 0.5 / T};
}

// The pass's state, from a white colour and blending off, over the unit
// square; the caller pops the ortho projection.
void beginPassState()
{
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    pushOrtho(0, 0, 1, 1);
    setTexturing(true);
    setLighting(false);
    setDepthTest(false);
    setCulling(false);
}

// Copies the read buffer into the copy texture's corner and turns blending
// back on for the quads that follow.
void copyStage(const CopyBlock& block)
{
    sCopyTexture->bind();
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, block.W, block.H);
    glEnable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
}

// The copy into the top-left quarter, passes + 1 times: the first quad
// blends as the caller had it, the others turn each colour d into d * (s + d).
void multiplyIntoQuarter(const CopyBlock& block, int passes)
{
    for (int i = 0; i <= passes; ++i) {
        if (i == 1)
            glBlendFunc(GL_DST_COLOR, GL_DST_COLOR);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex3f(0, 0.5f, 0);
        glTexCoord2f(static_cast<float>(block.sW), 0);
        glVertex3f(0.5f, 0.5f, 0);
        glTexCoord2f(static_cast<float>(block.sW), static_cast<float>(block.tH));
        glVertex3f(0.5f, 0, 0);
        glTexCoord2f(0, static_cast<float>(block.tH));
        glVertex3f(0, 0, 0);
        glEnd();
    }
}

// The zoom steps' blend function; a negative remainder keeps the multiply
// stage's.
void chooseZoomBlend(int mode)
{
    switch (mode % 3) {
    case 0: glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); break;
    case 1: glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA); break;
    case 2: glBlendFunc(GL_SRC_ALPHA, GL_DST_COLOR); break;
    default: break;
    }
}

// Each step draws the top-left quarter back into itself, inset and turned
// twice as much as the step before.
void zoomQuarter(const CopyBlock& block, float insetX, float insetY, float angle, float alpha,
                 int steps)
{
    const double qs = block.qs;
    const double qt = block.qt;
    double a = insetX / block.W;
    double b = insetY / block.W;
    double r = angle;
    for (int step = 0; step < steps; ++step) {
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, block.H / 2, block.W / 2, block.H / 2);
        glColor4f(1, 1, 1, alpha);
        glMatrixMode(GL_TEXTURE);
        glPushMatrix();
        glTranslatef(static_cast<float>(qs * 0.5), static_cast<float>(qt * 0.5), 0);
        glRotatef(static_cast<float>(r), 1, 0, 1);
        glTranslatef(static_cast<float>(-qs * 0.5), static_cast<float>(-qt * 0.5), 0);
        glBegin(GL_QUADS);
        glTexCoord2f(static_cast<float>(a), static_cast<float>(b));
        glVertex3f(0, 0.5f, 0);
        glTexCoord2f(static_cast<float>(qs - a), static_cast<float>(b));
        glVertex3f(0.5f, 0.5f, 0);
        glTexCoord2f(static_cast<float>(qs - a), static_cast<float>(qt - b));
        glVertex3f(0.5f, 0, 0);
        glTexCoord2f(static_cast<float>(a), static_cast<float>(qt - b));
        glVertex3f(0, 0, 0);
        glEnd();
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        a *= 2;
        b *= 2;
        r *= 2;
    }
}

// Takes the last step's quarter and adds it stretched over the viewport;
// with a positive finalAlpha the viewport first becomes the copied stage
// image at that strength.
void addQuarter(const CopyBlock& block, float finalAlpha)
{
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, block.H / 2, block.W / 2, block.H / 2);
    if (finalAlpha > 0) {
        glBlendFunc(GL_SRC_ALPHA, GL_ZERO);
        glColor4f(1, 1, 1, finalAlpha);
        drawTexturedScreenQuad(0, 0, static_cast<float>(block.sW), static_cast<float>(block.tH));
    }
    glBlendFunc(GL_ONE, GL_ONE);
    drawTexturedScreenQuad(0, 0, static_cast<float>(block.qs), static_cast<float>(block.qt));
}

}  // namespace

// State set, restored by the attribute pop and the matrix pops: blending and
// its function, the current colour, texturing on, lighting, depth test and
// culling off, the copy texture bound; the texture matrix is pushed and
// popped round each zoom step.
void FboStage::feedbackPass(int mode, float insetX, float insetY, float angle, float,
                            float alpha, int zoomSteps, int multiplyPasses, float finalAlpha)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushMatrix();
    const CopyBlock block = copyBlockFor(width, height);
    beginPassState();
    copyStage(block);
    multiplyIntoQuarter(block, multiplyPasses);
    chooseZoomBlend(mode);
    zoomQuarter(block, insetX, insetY, angle, alpha, zoomSteps);
    addQuarter(block, finalAlpha);
    popOrtho();
    glPopMatrix();
    glPopAttrib();
}
