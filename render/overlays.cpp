// The text layers drawn near the end of each frame, outside the trail: song title, fps readout
// and help panel. Each opens its own flipped overlay of the drawing size.
#include <GL/freeglut.h>
#include <cstring>
#include "plugin/settings.h"
#include "render/text.h"

namespace {
const char kHelpTitle[] = "SMEARSCOPE HELP";
const char kHelpBody[] =
    "Esq : Exit\n"
    "t   : Toggle Song Title\n"
    "p   : Toggle Frames per Second\n"
    "f   : Toggle Screen Flash\n"
    "b   : Toggle Beat Changes Speed\n"
    "n   : Toggle Noise Distortion\n"
    "r   : Toggle Scene Rotation\n"
    "s   : Toggle Vertical Sync\n"
    "\n"
    "h   : Toggle This Help Screen";
const char kFpsFormat[] = "fps: %.0f";

void OpenTextOverlay() {
    OverlayBegin(drawWidth, drawHeight, true);
    glPushMatrix();
    glLoadIdentity();
}

void CloseTextOverlay() {
    glPopMatrix();
    OverlayEnd();
}
}  // namespace

// Leaves face culling on, depth test and blending off, colour (1, 1, 1, 1).
void HelpPanelDraw(float scale, float alpha) {
    const float w = (float)drawWidth;
    const float h = (float)drawHeight;
    const float left = (w - w * scale) * 0.5f;
    const float top = (h - h * scale) * 0.5f;
    char body[512] = {};
    std::memcpy(body, kHelpBody, sizeof(kHelpBody));

    OpenTextOverlay();
    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glColor4f(0.0f, 0.0f, 0.0f, alpha);
    glBegin(GL_QUADS);
    glVertex3f(left, h - top, -0.1f);
    glVertex3f(left, top, -0.1f);
    glVertex3f(w - left, top, -0.1f);
    glVertex3f(w - left, h - top, -0.1f);
    glEnd();
    glColor4f(0.51f, 0.75f, 0.9f, 0.85f);
    GlutTextDraw(left + 10.0f, top + 28.0f, GLUT_BITMAP_HELVETICA_18, 18, kHelpTitle);
    GlutTextDraw(left + 10.0f, top + 58.0f, GLUT_BITMAP_8_BY_13, 13, body);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    CloseTextOverlay();
}

// Leaves the colour at (1, 1, 1, 0.75). The raster position takes the colour current when it is
// set, so the first copy is in the entry colour, unblended.
void SongTitleDraw(const char* title, float jitter) {
    if (!title) return;
    OpenTextOverlay();
    glRasterPos3f(15.0f + jitter, 15.0f, -0.1f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.85f);
    TextPrintf("%s", title);
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 0.75f);
    glRasterPos3f(15.0015f + jitter, 15.0015f, -0.1f);
    TextPrintf("%s", title);
    glDisable(GL_BLEND);
    CloseTextOverlay();
}

// Leaves the colour at (1, 1, 1, 0.75); the second copy is a faint shadow 0.9 px right and down.
void FpsReadoutDraw(float fps) {
    OpenTextOverlay();
    glColor4f(1.0f, 1.0f, 1.0f, 0.85f);
    glRasterPos3f((float)(drawWidth - 83), (float)(drawHeight - 45), -0.1f);
    TextPrintf(kFpsFormat, (double)fps);
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 0.75f);
    glRasterPos3f((float)(drawWidth - 83) + 0.9015f, (float)(drawHeight - 45) + 0.9015f, -0.1f);
    TextPrintf(kFpsFormat, (double)fps);
    glDisable(GL_BLEND);
    CloseTextOverlay();
}
