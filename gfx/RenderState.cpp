#include "gfx/RenderState.h"

#include <GL/glew.h>

static void setCapability(GLenum cap, bool on)
{
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

void setDepthWrite(bool on) { glDepthMask(on ? GL_TRUE : GL_FALSE); }
void setDepthTest(bool on) { setCapability(GL_DEPTH_TEST, on); }
void setCulling(bool on) { setCapability(GL_CULL_FACE, on); }
void setLighting(bool on) { setCapability(GL_LIGHTING, on); }
void setTexturing(bool on) { setCapability(GL_TEXTURE_2D, on); }
void setFlatShading() { glShadeModel(GL_FLAT); }
void setSmoothShading() { glShadeModel(GL_SMOOTH); }
void setLocalViewer(bool on) { glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, on ? 1 : 0); }
void setTwoSidedLighting(bool on) { glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, on ? 1 : 0); }
void setFog(bool on) { setCapability(GL_FOG, on); }

void setFogRange(float start, float end)
{
    glFogf(GL_FOG_START, start);
    glFogf(GL_FOG_END, end);
}

void disableDepthAndLighting()
{
    setDepthTest(false);
    setDepthWrite(false);
    setCulling(false);
    setLighting(false);
}

void setTexGen(bool on)
{
    setCapability(GL_TEXTURE_GEN_S, on);
    setCapability(GL_TEXTURE_GEN_T, on);
}

void setSphereMapTexGen(bool on)
{
    if (on) {
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    }
    setTexGen(on);
}

void setObjectLinearTexGen(float sa, float sb, float sc, float sd,
                           float ta, float tb, float tc, float td)
{
    const GLfloat sPlane[4] = {sa, sb, sc, sd};
    const GLfloat tPlane[4] = {ta, tb, tc, td};
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_S, GL_OBJECT_PLANE, sPlane);
    glTexGenfv(GL_T, GL_OBJECT_PLANE, tPlane);
}

void pushOrtho(float left, float top, float right, float bottom)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(left, right, bottom, top, 0.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void popOrtho()
{
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

// State set by both quads, restored by the attribute pop: lighting, depth
// test and writes, culling and texture generation off; texturing as asked.
static void setScreenQuadState(bool textured)
{
    setLighting(false);
    setDepthTest(false);
    setDepthWrite(false);
    setCulling(false);
    setTexturing(textured);
    setTexGen(false);
    setSphereMapTexGen(false);
}

void drawScreenQuad(float r, float g, float b, float a)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    setScreenQuadState(false);
    glPushMatrix();
    pushOrtho(0, 0, 1, 1);
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    glVertex3f(0, 1, 0);
    glVertex3f(1, 1, 0);
    glVertex3f(1, 0, 0);
    glVertex3f(0, 0, 0);
    glEnd();
    popOrtho();
    glPopMatrix();
    glPopAttrib();
}

void drawTexturedScreenQuad(float s0, float t0, float s1, float t1)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushMatrix();
    setScreenQuadState(true);
    pushOrtho(0, 0, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex3f(0, 1, 0);
    glTexCoord2f(s1, t0);
    glVertex3f(1, 1, 0);
    glTexCoord2f(s1, t1);
    glVertex3f(1, 0, 0);
    glTexCoord2f(s0, t1);
    glVertex3f(0, 0, 0);
    glEnd();
    popOrtho();
    glPopMatrix();
    glPopAttrib();
}
