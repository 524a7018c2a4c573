// The noise veil: a 200 x 200 grid of gradient-noise samples drawn as translucent whitish strips
// over the whole window, spreading apart with the bass and the clock.
#include <windows.h>
#include <GL/gl.h>
#include "render/frame.h"
#include "render/noise.h"
#include "render/text.h"
#include "render/vertex_arrays.h"

namespace {
const int kVeilGrid = 200;
const float kAlphaOffset = 0.25f;
const float kGreyLevel = 1.7f;
const int kStripVertices = 2 * kVeilGrid;
const int kStripTriangles = kStripVertices - 2;

// Column i's strip: for each row j the pair (i, j), (i + 1, j), both in the colour of point (i, j).
ColouredVertex veilVertices[kVeilGrid * kStripVertices];
unsigned int veilIndices[kVeilGrid * kStripTriangles * 3];

// Every strip's triangles as the driver splits them, in one draw instead of one per strip (each
// draw costs the driver a state check).
const unsigned int* VeilIndices() {
    static bool written = false;
    if (!written) {
        unsigned int* index = veilIndices;
        for (int strip = 0; strip < kVeilGrid; ++strip)
            index = TriangleStripTriangles(index, strip * kStripVertices, kStripVertices);
        written = true;
    }
    return veilIndices;
}
}  // namespace

// Leaves blending off and the colour white; culling is neither set nor cleared, so the strips,
// clockwise on screen, show only while culling is off.
void NoiseVeilDraw(float bassLevel) {
    ColouredVertex* v = veilVertices;
    for (int i = 0; i < kVeilGrid; ++i)
        for (int j = 0; j < kVeilGrid; ++j) {
            // The clock is read afresh for every grid point, as the veil's pattern is defined.
            const float t = SecondsSinceStart();
            const float point[2] = {(float)i * bassLevel * t, (float)j * bassLevel * t};
            const float alpha = GradientNoise2D(point) + kAlphaOffset;
            const float grey = kGreyLevel - alpha;
            const float colour[4] = {grey, grey, grey, alpha};
            SetColouredVertex(*v++, colour, (float)i, (float)j, -0.1f);
            SetColouredVertex(*v++, colour, (float)(i + 1), (float)j, -0.1f);
        }
    OverlayBegin(kVeilGrid, kVeilGrid, true);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_BLEND);
    DrawColouredTriangles(veilVertices, VeilIndices(), kVeilGrid * kStripTriangles * 3);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPopMatrix();
    OverlayEnd();
}
