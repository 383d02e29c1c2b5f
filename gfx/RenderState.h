// Render-state toolkit: the switches, the orthographic screen projection and
// the two full-screen quads that the frame and the scenes use instead of raw
// GL calls. Stateless; main thread only, with the GL context current. The
// switches leak by design (callers bracket them); the quads restore all they touch.
#pragma once

void setDepthWrite(bool on);
void setDepthTest(bool on);
void setCulling(bool on);
void setLighting(bool on);
void setTexturing(bool on);
void setFlatShading();
void setSmoothShading();
void setLocalViewer(bool on);
void setTwoSidedLighting(bool on);
void setFog(bool on);
void setFogRange(float start, float end);
void disableDepthAndLighting();
void setTexGen(bool on);
void setSphereMapTexGen(bool on);
void setObjectLinearTexGen(float sa, float sb, float sc, float sd,
                           float ta, float tb, float tc, float td);

// Pushes both matrices and puts glOrtho(left, right, bottom, top, 0, 100) in
// place; (0, 0, 1, 1) maps the viewport to x 0..1 left to right, y 0..1 top to
// bottom. Both leave the matrix mode at GL_MODELVIEW.
void pushOrtho(float left, float top, float right, float bottom);
void popOrtho();

// A quad over the whole viewport in a flat colour, blended as the caller has it.
void drawScreenQuad(float r, float g, float b, float a);
// A quad over the whole viewport with the bound texture; (s0, t0) lands on
// the bottom-left corner, (s1, t1) on the top-right. Sets no colour.
void drawTexturedScreenQuad(float s0, float t0, float s1, float t1);
