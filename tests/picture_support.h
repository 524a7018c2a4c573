// Shared set-up for the picture tests: the frame driver's camera and state with the rotation
// frozen, projection of model points to pixels, and a GL error and stack check.
#pragma once
#include "render/frame.h"
#include <GL/gl.h>
#include <GL/glu.h>
#include <cstring>
#include "render/bar_field.h"
#include "render/scene_state.h"
#include "tests/gl_fixture.h"

// The state a played frame meets before the bar field: camera at rotation angle, lighting,
// blending and texturing off, depth test on, accumulation and depth cleared, colour black.
inline void PlaceFrameCamera(float angleDegrees = 0.0f) {
    glDisable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 0);
    glClearAccum(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    PlaceCamera();
    glRotatef(angleDegrees, 0.0f, 1.0f, 0.0f);
    glTranslatef(-2.4f, 0.0f, 2.4f);
}

// Where a model point of the current model-view and projection lands: x, and y from the top.
struct ScreenPoint {
    int x, y;
};
inline ScreenPoint Project(float x, float y, float z, int height) {
    GLdouble modelview[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx, wy, wz;
    gluProject(x, y, z, modelview, projection, viewport, &wx, &wy, &wz);
    return {(int)wx, height - 1 - (int)wy};
}

inline void FillHistory(unsigned char bin) {
    AllocateHistory();
    for (int j = 0; j < kHistoryRows; ++j) std::memset(SpectrumHistory[j], bin, kSnapshotBytes);
}

inline bool Near(const Rgb& actual, int r, int g, int b, int tolerance) {
    return std::abs(actual.r - r) <= tolerance && std::abs(actual.g - g) <= tolerance &&
           std::abs(actual.b - b) <= tolerance;
}

inline ::testing::AssertionResult NoGlError() {
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "GL error 0x" << std::hex << error;
}

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}
