// The bar field's camera check: the frame camera's eye in field coordinates, and the refusals that
// make the field send every side (a mirrored model-view, a near plane not in front of the eye).
#include <gtest/gtest.h>
#include <cmath>
#include "render/field_view.h"

namespace {

// Column-major 4 x 4 matrices, built the way the fixed-function calls build them.
struct Matrix {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Matrix Then(const Matrix& b) const {  // this * b, as glMultMatrix does
        Matrix r;
        for (int col = 0; col < 4; ++col)
            for (int row = 0; row < 4; ++row) {
                float sum = 0.0f;
                for (int k = 0; k < 4; ++k) sum += m[4 * k + row] * b.m[4 * col + k];
                r.m[4 * col + row] = sum;
            }
        return r;
    }
};

Matrix Translate(float x, float y, float z) {
    Matrix t;
    t.m[12] = x, t.m[13] = y, t.m[14] = z;
    return t;
}

Matrix Scale(float x, float y, float z) {
    Matrix s;
    s.m[0] = x, s.m[5] = y, s.m[10] = z;
    return s;
}

Matrix Rotate(float degrees, int axis) {  // about x (0) or y (1)
    const float a = degrees * 3.14159265358979f / 180.0f, c = std::cos(a), s = std::sin(a);
    Matrix r;
    const int i = axis == 0 ? 1 : 2, j = axis == 0 ? 2 : 0;  // the plane it turns, counter-clockwise
    r.m[5 * i] = c, r.m[5 * j] = c, r.m[4 * i + j] = s, r.m[4 * j + i] = -s;
    return r;
}

Matrix Perspective(float fovy, float aspect, float zNear, float zFar) {
    const float f = 1.0f / std::tan(fovy * 3.14159265358979f / 360.0f);
    Matrix p;
    p.m[0] = f / aspect, p.m[5] = f, p.m[10] = (zFar + zNear) / (zNear - zFar);
    p.m[11] = -1.0f, p.m[14] = 2.0f * zFar * zNear / (zNear - zFar), p.m[15] = 0.0f;
    return p;
}

// The frame's camera and field placement, and a box round the field.
Matrix FrameModelview(float angle) {
    return Translate(0, 0, -9.6f).Then(Rotate(23.0f, 0)).Then(Rotate(angle, 1)).Then(Translate(-2.4f, 0, 2.4f));
}
const float kLow[3] = {0.1f, 0.0f, -4.9f};
const float kHigh[3] = {5.05f, 1.85f, 0.1f};

FieldView View(const Matrix& modelview, const Matrix& projection) {
    return FieldViewFrom(modelview.m, projection.m, 640, 380, kLow, kHigh);
}

TEST(FieldView, TheFrameCamerasEyeStandsAboveTheFieldsFrontOrSideAsItTurns) {
    const Matrix projection = Perspective(45.0f, 640.0f / 380.0f, 0.1f, 1000.0f);
    const float up = 9.6f * std::sin(23.0f * 3.14159265358979f / 180.0f);
    const float back = 9.6f * std::cos(23.0f * 3.14159265358979f / 180.0f);
    struct Case { float angle, x, z; } cases[] = {{0.0f, 2.4f, back - 2.4f}, {90.0f, 2.4f - back, -2.4f}};
    for (const Case& c : cases) {
        const FieldView view = View(FrameModelview(c.angle), projection);
        ASSERT_TRUE(view.known) << c.angle;
        EXPECT_NEAR(view.eye[0], c.x, 1e-4f) << c.angle;
        EXPECT_NEAR(view.eye[1], up, 1e-4f) << c.angle;
        EXPECT_NEAR(view.eye[2], c.z, 1e-4f) << c.angle;
        EXPECT_GT(view.slack, 0.0f);
        EXPECT_TRUE(std::isfinite(SideMargin(view, 0.1f, 0.01f))) << "a side well behind the eye can be left out";
    }
}

TEST(FieldView, AMirroredModelviewOrANearPlaneBehindTheEyeSendsEverySide) {
    const Matrix projection = Perspective(45.0f, 640.0f / 380.0f, 0.1f, 1000.0f);
    struct Case { const char* name; Matrix modelview, projection; } cases[] = {
        {"mirrored", FrameModelview(30.0f).Then(Scale(1, -1, 1)), projection},
        {"near plane behind the eye", FrameModelview(30.0f), Perspective(45.0f, 640.0f / 380.0f, -0.1f, 1000.0f)},
    };
    for (const Case& c : cases) {
        const FieldView view = View(c.modelview, c.projection);
        EXPECT_FALSE(view.known) << c.name;
        EXPECT_EQ(SideMargin(view, 0.1f, 0.01f), INFINITY) << c.name << ": no side may be left out";
    }
}

}  // namespace
