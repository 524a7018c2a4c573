// Drivers other than this machine's, emulated around the plug-in's calls: the noise left in the
// back buffer by an exchanging swap, and the software flags or missing accumulation buffers of an
// emulated pixel-format list.
#include "host/harness/driver_emulation.h"
#include <GL/gl.h>
#include <vector>
#include "host/harness/quirks.h"

namespace {

// A generator of the host's own: the plug-in's noise depends on the run-time library's rand.
unsigned noiseState = 0x2545F491u;
unsigned NextNoise() {
    noiseState = noiseState * 1664525u + 1013904223u;
    return noiseState >> 24;
}

bool HasAccumulation(const PIXELFORMATDESCRIPTOR& description) { return description.cAccumBits > 0; }

// The list is the display's, the same for every window: looked up once.
int LastAccumulationFormat(HDC dc) {
    static int found = -1;
    if (found >= 0) return found;
    found = 0;
    PIXELFORMATDESCRIPTOR description = {};
    const int count = DescribePixelFormat(dc, 1, sizeof(description), &description);
    for (int format = count; format >= 1; --format)
        if (DescribePixelFormat(dc, format, sizeof(description), &description) && HasAccumulation(description))
            return found = format;
    return found;
}

}  // namespace

void FillBackBufferWithNoise(HDC dc) {
    RECT client;
    HWND window = WindowFromDC(dc);
    if (!window || !GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return;
    const int width = client.right, height = client.bottom;
    static std::vector<unsigned char> noise;
    noise.resize((size_t)width * height * 3);
    for (unsigned char& byte : noise) byte = (unsigned char)NextNoise();

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (GLenum capability : {GL_DEPTH_TEST, GL_BLEND, GL_TEXTURE_2D, GL_LIGHTING, GL_ALPHA_TEST, GL_STENCIL_TEST,
                              GL_SCISSOR_TEST, GL_FOG, GL_DITHER})
        glDisable(capability);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDrawBuffer(GL_BACK);
    glViewport(0, 0, width, height);
    glPixelZoom(1.0f, 1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glRasterPos2f(-1.0f, -1.0f);
    glDrawPixels(width, height, GL_RGB, GL_UNSIGNED_BYTE, noise.data());
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();  // the matrix mode comes back with the transform group
}

void EmulateFormatFlags(HDC dc, int format, PIXELFORMATDESCRIPTOR& description) {
    if (QuirkOn(kQuirkNoAccum)) {
        description.cAccumBits = description.cAccumRedBits = description.cAccumGreenBits = 0;
        description.cAccumBlueBits = description.cAccumAlphaBits = 0;
        return;
    }
    const bool software = QuirkOn(kQuirkSoftwareAccum) || QuirkOn(kQuirkMixedAccum) || QuirkOn(kQuirkSoftwareChosen);
    if (!software || !HasAccumulation(description)) return;
    if (QuirkOn(kQuirkMixedAccum) && format == LastAccumulationFormat(dc)) return;
    description.dwFlags |= PFD_GENERIC_FORMAT;
    description.dwFlags &= ~(DWORD)PFD_GENERIC_ACCELERATED;
}

int EmulatedFastAccumFormat(HDC dc) { return QuirkOn(kQuirkMixedAccum) ? LastAccumulationFormat(dc) : 0; }

int EmulatedChoice(HDC dc, const PIXELFORMATDESCRIPTOR& request, int chosen) {
    PIXELFORMATDESCRIPTOR have = {}, other = {};
    if (QuirkOn(kQuirkSoftwareChosen)) {
        const int count = DescribePixelFormat(dc, 1, sizeof(other), &other);
        for (int format = 1; format <= count; ++format) {
            // Every format with accumulation is the software renderer's, but mixed-accum's last.
            if (!DescribePixelFormat(dc, format, sizeof(other), &other) || !HasAccumulation(other) ||
                format == EmulatedFastAccumFormat(dc))
                continue;
            if ((other.dwFlags & request.dwFlags) == request.dwFlags && other.iPixelType == request.iPixelType &&
                (other.cDepthBits > 0) == (request.cDepthBits > 0))
                return format;
        }
        return chosen;
    }
    if (!QuirkOn(kQuirkNoAccum) || !chosen || !DescribePixelFormat(dc, chosen, sizeof(have), &have)) return chosen;
    if (!HasAccumulation(have)) return chosen;
    const int count = DescribePixelFormat(dc, 1, sizeof(other), &other);
    for (int format = 1; format <= count; ++format)
        if (DescribePixelFormat(dc, format, sizeof(other), &other) && !HasAccumulation(other) &&
            other.dwFlags == have.dwFlags && other.iPixelType == have.iPixelType &&
            other.cColorBits == have.cColorBits && other.cDepthBits == have.cDepthBits)
            return format;
    return chosen;
}
