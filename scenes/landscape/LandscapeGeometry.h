// Landscape geometry: the small immediate-mode pieces the landscape and the
// cube figure are assembled from (a cube, a textured quad, a disc, a planar
// shadow matrix, a ground item's body and roof, and the test that spares
// drawing what lies off the picture). Main thread only, with the GL context
// current. Stateless; every matrix push is popped inside.
#pragma once

// Cube of half-edge halfSize centred on (cx, cy, cz), with outward normals and
// texture coordinates, faces counter-clockwise seen from outside. openAxis 0 or
// 3 leaves the x pair of faces out, 1 or 4 the y pair, 2 or 5 the z pair; any
// other value draws all six. Sets no colour.
void drawCube(float halfSize, float cx, float cy, float cz, int openAxis);

// One quad growing from the corner (x, y, z) by w across and h up, with the
// texture rectangle (s0, t0)-(s0 + ds, t0 + dt). Drawn with lighting, depth
// test, depth writes and culling off; all GL state is restored afterwards.
// Texturing stays as the caller set it.
void drawQuad(float x, float y, float z, float w, float h,
              float s0, float t0, float ds, float dt);

// Filled circle about the origin as one triangle fan: the centre, then
// segments + 1 rim points (the last closes the circle). A negative count
// gives the centre alone. Sets no colour or normal.
void drawDisc(float radius, int segments);

// Multiplies the modelview matrix by the projection that maps every point
// onto the plane through planePoint with normal planeNormal, along the line
// from the point light through it. With a downward normal the projected
// points below the light keep a positive w.
void multShadowMatrix(const float light[3], const float planePoint[3],
                      const float planeNormal[3]);

// The body quad of a ground item from (0, 0) to (width, height): dark at the
// foot, lighter at the top. With shadowPass it sets no colour.
void drawBody(float width, float height, const float colour[3], bool shadowPass);

// The roof triangle of a ground item, centred on x = 0 with its apex at
// (0, height). Sets no colour or normal: the caller sets the roof colour.
void drawRoof(float base, float height);

// Projection times modelview as they stand, column-major like GL's own.
void currentClipMatrix(double clip[16]);

// True when every corner of the box lo..hi (object coordinates under the
// clip matrix) lies beyond one and the same side plane of the view volume by
// 1% of w: nothing drawn inside the box can then reach a pixel. The margin
// is far above the renderer's single-precision rounding; a box that misses
// the view only across two planes is reported as showing.
bool boxOffScreen(const double clip[16], const double lo[3], const double hi[3]);
