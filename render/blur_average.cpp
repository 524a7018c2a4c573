// How the zoom blur averages its five passes: the way chosen per context, and the texture way, which
// keeps the first four passes in textures and lays them back over the fifth with OpenGL 1.1 alone.
#include "render/blur_average.h"
#include <windows.h>
#include <GL/gl.h>
#include <algorithm>
#include <initializer_list>
#include "plugin/settings.h"
#include "render/bar_field.h"
#include "render/driver_strings.h"
#include "render/scene_state.h"

BlurWay chosenBlurWay = BlurWay::None;

namespace {
const int kKeptPasses = 4;
// All of this belongs to one context: set by ChooseBlurWay, cleared by ForgetBlurWay.
struct PassState {
    bool chosen = false;  // ChooseBlurWay ran for the current context
    bool accumulationBuffer = false;
    bool anySize = false;  // the driver takes textures of any size
    GLuint textures[kKeptPasses] = {};
    int width = 0, height = 0;  // their storage; 0 x 0 while it cannot be had
    bool inFrame = false;
    bool fitWaiting = false;  // a resize within the frame: fit at its end
    int waitingWidth = 0, waitingHeight = 0;
};
PassState pass;

int PowerOfTwoAtLeast(int size) {
    int side = 1;
    while (side < size && side < (1 << 30)) side *= 2;
    return side;
}

// Drops the pass textures' storage: a frame then takes the fallback.
void ReleasePassStorage() {
    for (GLuint name : pass.textures) {
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    }
    pass.width = pass.height = 0;
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
    for (GLuint name : pass.textures) {
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
    const float s = width / (float)pass.width, t = height / (float)pass.height;
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

void ChooseBlurWay() {
    pass = PassState();
    GLint accumRedBits = 0;
    glGetIntegerv(GL_ACCUM_RED_BITS, &accumRedBits);
    pass.accumulationBuffer = accumRedBits > 0;
    // NOTE: every Mesa driver accumulates on the processor (a round trip of both buffers a call);
    // Microsoft's "GDI Generic" may too, but cannot be measured here: it keeps accumulation.
    const char* version = (const char*)glGetString(GL_VERSION);
    const bool mesa = DriverIsMesa(version, (const char*)glGetString(GL_RENDERER));
    chosenBlurWay = pass.accumulationBuffer && !mesa ? BlurWay::Accumulation : BlurWay::Textures;
    if (chosenBlurWay == BlurWay::Textures) {
        pass.anySize = DriverTakesAnyTextureSize(version, (const char*)glGetString(GL_EXTENSIONS));
        glGenTextures(kKeptPasses, pass.textures);
    }
    pass.chosen = true;
}

void ForgetBlurWay(bool contextCurrent) {
    if (contextCurrent && pass.chosen && pass.textures[0]) glDeleteTextures(kKeptPasses, pass.textures);
    pass = PassState();
    chosenBlurWay = BlurWay::None;
}

// Leaves the texture binding as it found it.
void FitPassTextures(int width, int height) {
    if (!pass.chosen || chosenBlurWay != BlurWay::Textures || width <= 0 || height <= 0) return;
    if (pass.inFrame) {
        pass.fitWaiting = true;
        pass.waitingWidth = width, pass.waitingHeight = height;
        return;
    }
    const int fitWidth = pass.anySize ? width : PowerOfTwoAtLeast(width);
    const int fitHeight = pass.anySize ? height : PowerOfTwoAtLeast(height);
    if (fitWidth == pass.width && fitHeight == pass.height) return;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    if (DefinePassStorage(fitWidth, fitHeight)) {
        pass.width = fitWidth;
        pass.height = fitHeight;
    } else {
        ReleasePassStorage();
    }
    glBindTexture(GL_TEXTURE_2D, (GLuint)bound);
}

BlurWay FrameBlurWay() {
    if (chosenBlurWay == BlurWay::Textures && pass.width > 0 && drawWidth <= pass.width && drawHeight <= pass.height)
        return BlurWay::Textures;
    return pass.accumulationBuffer ? BlurWay::Accumulation : BlurWay::None;
}

BlurWay BeginBlurFrame() {
    pass.inFrame = true;
    return FrameBlurWay();
}

void EndBlurFrame() {
    pass.inFrame = false;
    if (!pass.fitWaiting) return;
    pass.fitWaiting = false;
    FitPassTextures(pass.waitingWidth, pass.waitingHeight);
}

void PassTextureSize(int& width, int& height) {
    width = pass.width;
    height = pass.height;
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
                           std::min((int)viewport[2], pass.width), std::min((int)viewport[3], pass.height), low, high);
}

// Leaves the texture binding as it found it; an empty rectangle copies nothing.
void KeepPass(int kept, const PixelRect& rect) {
    if (rect.Empty()) return;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, pass.textures[kept]);
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
    for (int kept = kKeptPasses - 1; kept >= 0; --kept) {
        glBindTexture(GL_TEXTURE_2D, pass.textures[kept]);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f / (float)(kKeptPasses + 1 - kept));
        PassQuad(w, h);
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}
