// FboStage: the off-screen canvas every frame is drawn into. It owns a
// frame-buffer object the size of the window brought up to powers of two,
// redirects drawing into it between `begin` and `end`, and puts its image in
// the window with the final pass, which shakes with live input value 0. It
// also offers two screen effects: an inverting overlay and a feedback pass.
// Main thread only, with the GL context current.
#pragma once

#include <GL/glew.h>

class FrameBufferObject;
class Texture;

class FboStage {
public:
    // A texture rectangle: (s0, t0) at the bottom-left of the viewport,
    // (s1, t1) at the top-right.
    struct TexRect {
        float s0, t0, s1, t1;
    };

    // Prints the stage size and creates the frame-buffer object with a 24-bit
    // depth buffer. Window sizes below 1, or a framebuffer that comes out
    // incomplete (reported first), end the process (exit code 2).
    FboStage(int windowWidth, int windowHeight);
    virtual ~FboStage();
    FboStage(const FboStage&) = delete;
    FboStage& operator=(const FboStage&) = delete;

    // The smallest power of two not below n; 0 when n is below 1 or no int
    // power of two reaches it.
    static int stageSize(int n);

    // A pair, not nested: between them drawing lands in the stage at the
    // stage's viewport; `end` gives back the viewport and the framebuffer
    // that were before `begin` (the window's, or a renderer's own target).
    void begin();
    void end();

    GLuint texture() const;
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    FrameBufferObject* getFbo() const { return fbo; }

    // The final pass of a frame: the stage's image over the whole current
    // viewport, its texture rectangle shaken by the square of `shake` (the
    // show passes input value 0). Leaves the stage texture bound and the
    // current colour white.
    void drawFinalPass(float shake) const;
    // The shaken rectangle for shake p: four fresh rand() draws, for t1, s1,
    // t0 and s0 in this order, each moving its edge inward by up to p.
    static TexRect shakeRect(float p);

    // Turns each colour channel d of the viewport into
    // amount * (1 - d) + d * (1 - amount); nothing at all for amount <= 0.
    void invertOverlay(float amount);

    // Copies the read buffer into the copy texture, multiplies the copy into
    // the top-left quarter (multiplyPasses), zooms and turns it back into
    // itself zoomSteps times and adds the result stretched over the viewport.
    // spare is not used.
    void feedbackPass(int mode, float insetX, float insetY, float angle, float spare,
                      float alpha, int zoomSteps, int multiplyPasses, float finalAlpha);
    // The feedback pass's copy texture: made by its first call, shared by
    // every stage and kept to the end of the process; null before.
    static const Texture* copyTexture();

private:
    FrameBufferObject* fbo = nullptr;
    int width = 0;
    int height = 0;
    GLint previousFramebuffer = 0;
};
