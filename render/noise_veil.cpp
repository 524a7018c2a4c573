// The noise veil: a 200 x 200 grid of gradient-noise samples drawn as translucent whitish strips
// over the whole window, spreading apart with the bass and the clock.
#include <windows.h>
#include <GL/gl.h>
#include "render/frame.h"
#include "render/noise.h"
#include "render/text.h"

namespace {
const int kVeilGrid = 200;
const float kAlphaOffset = 0.25f;
const float kGreyLevel = 1.7f;
}  // namespace

// Leaves blending off and the colour white; culling is neither set nor cleared, so the strips,
// clockwise on screen, show only while culling is off.
void NoiseVeilDraw(float bassLevel) {
    OverlayBegin(kVeilGrid, kVeilGrid, true);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_BLEND);
    for (int i = 0; i < kVeilGrid; ++i) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int j = 0; j < kVeilGrid; ++j) {
            const float t = SecondsSinceStart();
            const float point[2] = {(float)i * bassLevel * t, (float)j * bassLevel * t};
            const float alpha = GradientNoise2D(point) + kAlphaOffset;
            const float grey = kGreyLevel - alpha;
            glColor4f(grey, grey, grey, alpha);
            glVertex3f((float)i, (float)j, -0.1f);
            glVertex3f((float)(i + 1), (float)j, -0.1f);
        }
        glEnd();
    }
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPopMatrix();
    OverlayEnd();
}
