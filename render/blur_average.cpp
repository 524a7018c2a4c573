// How the zoom blur averages its five passes: the way chosen per context, and the texture way, which
// keeps the first four passes in textures and lays them back over the fifth with OpenGL 1.1 alone.
#include "render/blur_average.h"
#include <windows.h>
#include <GL/gl.h>
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include "plugin/settings.h"
#include "render/bar_field.h"
#include "render/scene_state.h"

BlurWay chosenBlurWay = BlurWay::Accumulation;

namespace {
const int kKeptPasses = 4;
GLuint passTextures[kKeptPasses] = {};
// The pass textures' size (powers of two, never shrunk); 0 x 0 while they cannot be had.
int passWidth = 0, passHeight = 0;
bool accumulationBuffer = false;

int PowerOfTwoAtLeast(int size) {
    int side = 1;
    while (side < size && side < (1 << 30)) side *= 2;
    return side;
}

// Drops the pass textures' storage: a frame then takes the fallback.
void ReleasePassStorage() {
    for (GLuint name : passTextures) {
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    }
    passWidth = passHeight = 0;
}

// Defines every pass texture at width x height; false when the driver refuses the size or runs out
// of memory. Errors are read here, outside any frame: what an earlier call left pending is dropped.
bool DefinePassStorage(int width, int height) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (width > largest || height > largest) return false;
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    GLint proxyWidth = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
    if (proxyWidth != width) return false;
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {}
    for (GLuint name : passTextures) {
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        // Texel for pixel: nearest, so no neighbour bleeds into the mean.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        if (glGetError() != GL_NO_ERROR) return false;
    }
    return true;
}

// One full-window quad showing the bound texture's bottom-left width x height texels, one a pixel.
// NOTE: softpipe: a quad of the rectangle's own size left some pixels a level off what the whole
// window's quad gives them; the whole window's quad, scissored to the rectangle, keeps every pixel.
void PassQuad(float width, float height) {
    const float s = width / (float)passWidth, t = height / (float)passHeight;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(s, 0.0f);
    glVertex2f(width, 0.0f);
    glTexCoord2f(s, t);
    glVertex2f(width, height);
    glTexCoord2f(0.0f, t);
    glVertex2f(0.0f, height);
    glEnd();
}
}  // namespace

bool DriverIsMesa(const char* version, const char* renderer) {
    return (version && std::strstr(version, "Mesa")) || (renderer && std::strstr(renderer, "Mesa"));
}

void ChooseBlurWay() {
    GLint accumRedBits = 0;
    glGetIntegerv(GL_ACCUM_RED_BITS, &accumRedBits);
    accumulationBuffer = accumRedBits > 0;
    // NOTE: every Mesa driver accumulates on the processor (a round trip of both buffers a call);
    // Microsoft's "GDI Generic" may too, but cannot be measured here: it keeps accumulation.
    const bool mesa = DriverIsMesa((const char*)glGetString(GL_VERSION), (const char*)glGetString(GL_RENDERER));
    chosenBlurWay = accumulationBuffer && !mesa ? BlurWay::Accumulation : BlurWay::Textures;
    passWidth = passHeight = 0;
    if (chosenBlurWay == BlurWay::Textures) glGenTextures(kKeptPasses, passTextures);
}

// Leaves the texture binding as it found it.
void GrowPassTextures(int width, int height) {
    if (chosenBlurWay != BlurWay::Textures || width <= 0 || height <= 0) return;
    if (width <= passWidth && height <= passHeight) return;
    const int grownWidth = PowerOfTwoAtLeast(width > passWidth ? width : passWidth);
    const int grownHeight = PowerOfTwoAtLeast(height > passHeight ? height : passHeight);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    if (DefinePassStorage(grownWidth, grownHeight)) {
        passWidth = grownWidth;
        passHeight = grownHeight;
    } else {
        ReleasePassStorage();
    }
    glBindTexture(GL_TEXTURE_2D, (GLuint)bound);
}

BlurWay FrameBlurWay() {
    if (chosenBlurWay == BlurWay::Textures && drawWidth <= passWidth && drawHeight <= passHeight)
        return BlurWay::Textures;
    return accumulationBuffer ? BlurWay::Accumulation : BlurWay::None;
}

PixelRect KeptPassRectangle(const float* fieldsOfView, int count) {
    float low[3], high[3];
    if (!BarFieldBounds(low, high)) return PixelRect();
    float modelview[16];
    GLint viewport[4] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // The passes' own aspect (1.0, not the window's); the viewport starts at (0, 0) (ResizeScene).
    return FieldWindowRect(modelview, fieldsOfView, count, 1.0f, sceneProjection.nearPlane,
                           std::min((int)viewport[2], passWidth), std::min((int)viewport[3], passHeight), low, high);
}

// Leaves the texture binding as it found it; an empty rectangle copies nothing.
void KeepPass(int pass, const PixelRect& rect) {
    if (rect.Empty()) return;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, passTextures[pass]);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, rect.x, rect.y, rect.x, rect.y, rect.width, rect.height);
    glBindTexture(GL_TEXTURE_2D, (GLuint)bound);
}

void AverageKeptPasses(const PixelRect& rect) {
    if (rect.Empty()) return;
    const float w = (float)drawWidth, h = (float)drawHeight;
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT |
                 GL_SCISSOR_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, w, 0.0, h, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (GLenum capability : {GL_DEPTH_TEST, GL_LIGHTING, GL_FOG, GL_CULL_FACE, GL_ALPHA_TEST})
        glDisable(capability);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_SCISSOR_TEST);
    glScissor(rect.x, rect.y, rect.width, rect.height);
    // The colour buffer holds C5; C4 at 1/2, C3 at 1/3, C2 at 1/4, C1 at 1/5 keep it the mean so far.
    for (int pass = kKeptPasses - 1; pass >= 0; --pass) {
        glBindTexture(GL_TEXTURE_2D, passTextures[pass]);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f / (float)(kKeptPasses + 1 - pass));
        PassQuad(w, h);
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}
