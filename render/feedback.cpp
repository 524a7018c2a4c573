// The zoom blur's passes (averaged by blur_average), the feedback trail kept in a texture of 1024 x
// 1024 or more, and the bass-tinted flash veil laid over the picture after the trail is captured.
#include "render/feedback.h"
#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>
#include <cstdlib>
#include <new>
#include "plugin/settings.h"
#include "render/bar_field.h"
#include "render/blur_average.h"
#include "render/scene_state.h"
#include "render/text.h"

unsigned int FeedbackTexture = 0;
int feedbackSide = 0;

namespace {
const int kTextureSize = 1024;
const int kBufferWords = kTextureSize * kTextureSize * 3;
const int kBlurPasses = 5;
// In texture coordinates of the 1024 texture: 2.56 texels, kept in texels at any size.
const float kTrailMargin = 0.0025f;

int CapturedWidth() { return drawWidth < feedbackSide ? drawWidth : feedbackSide; }
int CapturedHeight() { return drawHeight < feedbackSide ? drawHeight : feedbackSide; }

// Defines level 0 of the bound texture empty, then blackens it a 1024-texel run at a time from a
// small static row: no allocation, so it also serves when memory is short.
void DefineBlackLevel(int side) {
    static const unsigned char blackRun[kTextureSize * 3] = {};
    glTexImage2D(GL_TEXTURE_2D, 0, 3, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    for (int row = 0; row < side; ++row)
        for (int x = 0; x < side; x += kTextureSize)
            glTexSubImage2D(GL_TEXTURE_2D, 0, x, row, kTextureSize, 1, GL_RGB, GL_UNSIGNED_BYTE, blackRun);
}

// A drawing area larger than the texture (a maximised window on a wide screen) gets the smallest
// power-of-two texture that holds it, as far as the driver allows; the trail restarts black.
// Expects the texture bound.
void GrowFeedbackTexture() {
    if (drawWidth <= feedbackSide && drawHeight <= feedbackSide) return;
    GLint largest = kTextureSize;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    int side = feedbackSide;
    while ((side < drawWidth || side < drawHeight) && side * 2 <= largest) side *= 2;
    if (side == feedbackSide) return;
    feedbackSide = side;
    DefineBlackLevel(side);
}

// A full-window quad through the flipped overlay's corners, counter-clockwise on screen.
void WindowQuad(float w, float h) {
    glBegin(GL_QUADS);
    glVertex3f(0.0f, 0.0f, -0.1f);
    glVertex3f(0.0f, h, -0.1f);
    glVertex3f(w, h, -0.1f);
    glVertex3f(w, 0.0f, -0.1f);
    glEnd();
}
}  // namespace

// Leaves texturing enabled with FeedbackTexture bound, and pixel-store alignment 1.
void CreateFeedbackTexture() {
    unsigned int* buffer = new (std::nothrow) unsigned int[kBufferWords];
    if (buffer)
        for (int i = 0; i < kBufferWords; ++i) buffer[i] = (unsigned int)(std::rand() % 255);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GLuint name = 0;
    glGenTextures(1, &name);
    FeedbackTexture = name;
    feedbackSide = kTextureSize;
    glBindTexture(GL_TEXTURE_2D, FeedbackTexture);
    // Components of at most 254 / (2^32 - 1): black within any stored precision.
    if (buffer) {
        glTexImage2D(GL_TEXTURE_2D, 0, 3, kTextureSize, kTextureSize, 0, GL_RGB, GL_UNSIGNED_INT, buffer);
    } else {
        // Without the 12 MB buffer the texture still exists and starts black; the generator still
        // takes its draws.
        for (int i = 0; i < kBufferWords; ++i) (void)std::rand();
        DefineBlackLevel(kTextureSize);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    delete[] buffer;
}

// Leaves the last pass's projection loaded and the model-view matrix mode current.
void DrawZoomBlur(float bassLevel, BlurWay way) {
    const float blurPulse = std::fabs(std::sin(bassLevel));
    float fieldsOfView[kBlurPasses];
    for (int i = 0; i < kBlurPasses; ++i) fieldsOfView[i] = sceneProjection.fieldOfView - 2.0f * i * blurPulse;
    PixelRect kept;
    for (int i = 0; i < kBlurPasses; ++i) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(fieldsOfView[i], 1.0, sceneProjection.nearPlane, sceneProjection.farPlane);
        glMatrixMode(GL_MODELVIEW);
        // The same field in every pass: built once, in the first and widest, drawn five times.
        if (i == 0) BarFieldBuild();
        if (i == 0 && way == BlurWay::Textures) kept = KeptPassRectangle(fieldsOfView, kBlurPasses);
        BarFieldDraw();
        if (way == BlurWay::Accumulation) glAccum(GL_ACCUM, 0.2f);
        else if (way == BlurWay::Textures && i < kBlurPasses - 1) KeepPass(i, kept);
    }
    if (way == BlurWay::Accumulation) glAccum(GL_RETURN, 1.0f);
    else if (way == BlurWay::Textures) AverageKeptPasses(kept);
}

// Leaves texturing enabled with FeedbackTexture bound (CaptureFeedback follows), blending off,
// colour white.
void DrawFeedbackTrail() {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, FeedbackTexture);
    GrowFeedbackTexture();
    const float w = (float)drawWidth;
    const float h = (float)drawHeight;
    OverlayBegin(drawWidth, drawHeight, true);
    glPushMatrix();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 0.25f);
    // The trail covers what was captured: the whole area, or its bottom-left part where the area
    // outgrows the largest texture the driver allows.
    const float cw = (float)CapturedWidth();
    const float ch = (float)CapturedHeight();
    const float side = (float)feedbackSide;
    const float su = cw / side;
    const float sv = ch / side;
    const float e = kTrailMargin * kTextureSize / side;
    const float top = h - ch;
    glBegin(GL_QUADS);
    glTexCoord2f(-e, sv - e);
    glVertex3f(0.0f, top, -0.1f);
    glTexCoord2f(-e, e);
    glVertex3f(0.0f, h, -0.1f);
    glTexCoord2f(su + e, e);
    glVertex3f(cw, h, -0.1f);
    glTexCoord2f(su + e, sv - e);
    glVertex3f(cw, top, -0.1f);
    glEnd();
    glColor4f(0.0f, 0.0f, 0.0f, 0.025f);
    WindowQuad(w, h);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPopMatrix();
    OverlayEnd();
}

// Leaves texturing disabled.
void CaptureFeedback() {
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, FeedbackTexture);
    // An area beyond the largest texture is clamped to it: an oversized copy is rejected whole and
    // would freeze the trail.
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, CapturedWidth(), CapturedHeight());
    glDisable(GL_TEXTURE_2D);
}

// Leaves blending off and the colour white.
void DrawFlashVeil(float bassLevel) {
    OverlayBegin(drawWidth, drawHeight, true);
    glPushMatrix();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(bassLevel, bassLevel, bassLevel, 0.15f);
    WindowQuad((float)drawWidth, (float)drawHeight);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPopMatrix();
    OverlayEnd();
}
