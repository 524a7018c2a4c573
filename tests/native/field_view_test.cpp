// The bar field's camera check: the frame camera's eye in field coordinates, and the refusals that
// make the field send every side (a mirrored model-view, a near plane not in front of the eye); the
// window rectangle the blur's passes can touch.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
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

// Every corner of every bar of a history, through each of the five blur passes at one bass, lands
// at least half a pixel inside the rectangle (or the rectangle meets the viewport's edge there): the
// pixels whose centres the bars cover lie in it. The history's bars are random up to a tallest one.
TEST(FieldWindowRect, HoldsEveryBarOfEveryPassOverAnglesBassesAndSizes) {
    const float binToLevel = 0.0028571428265422583f;
    uint32_t seed = 12345;
    auto next = [&seed]() { return seed = seed * 1664525u + 1013904223u; };
    const int sizes[][2] = {{640, 380}, {320, 190}, {1920, 1080}, {3840, 2160}, {200, 900}, {7, 3}};
    double smallestShare = 1.0, largestShare = 0.0;
    // Half a pixel inside from start to start + length, or the side at the viewport's edge.
    auto within = [](float v, int start, int length, int size) {
        return (start == 0 || v >= start + 0.5f) && (start + length == size || v <= start + length - 0.5f);
    };
    for (const auto& size : sizes)
        for (float angle = 0.0f; angle < 360.0f; angle += 29.0f)
            for (int bass : {0, 150, 255}) {
                const int tallest = (int)(next() >> 24);
                unsigned char bins[32][32];
                for (auto& row : bins)
                    for (unsigned char& bin : row) bin = (unsigned char)(next() % (tallest + 1));
                bins[next() % 32][next() % 32] = (unsigned char)tallest;
                const float pulse = std::fabs(std::sin(bass * binToLevel));
                float fields[5];
                for (int i = 0; i < 5; ++i) fields[i] = 45.0f - 2.0f * i * pulse;
                const Matrix modelview = FrameModelview(angle);
                const float low[3] = {0.15f, 0.0f, (float)(-0.15 * 31) - 0.1f};
                const float high[3] = {(float)(0.15 * 32) + 0.1f, tallest * binToLevel * 32.0f / 15.0f, 0.0f};
                const PixelRect rect = FieldWindowRect(modelview.m, fields, 5, 1.0f, 0.1f, size[0], size[1], low, high);
                ASSERT_FALSE(rect.Empty());
                ASSERT_GE(rect.x, 0);
                ASSERT_GE(rect.y, 0);
                ASSERT_LE(rect.x + rect.width, size[0]);
                ASSERT_LE(rect.y + rect.height, size[1]);
                const double share = (double)rect.width * rect.height / ((double)size[0] * size[1]);
                smallestShare = std::min(smallestShare, share), largestShare = std::max(largestShare, share);
                for (int i = 0; i < 5; ++i) {
                    const Matrix clip = Perspective(fields[i], 1.0f, 0.1f, 1000.0f).Then(modelview);
                    for (int j = 0; j < 32; ++j)
                        for (int k = 1; k <= 32; ++k)
                            for (int corner = 0; corner < 8; ++corner) {
                                const float x = (float)(0.15 * k) + (corner & 1 ? 0.1f : 0.0f);
                                const float z = (float)(-0.15 * j) - (corner & 4 ? 0.1f : 0.0f);
                                const float y = corner & 2 ? bins[j][k - 1] * binToLevel * 32.0f / 15.0f : 0.0f;
                                const float* m = clip.m;
                                const float w = m[3] * x + m[7] * y + m[11] * z + m[15];
                                const float wx = ((m[0] * x + m[4] * y + m[8] * z + m[12]) / w + 1.0f) * 0.5f * size[0];
                                const float wy = ((m[1] * x + m[5] * y + m[9] * z + m[13]) / w + 1.0f) * 0.5f * size[1];
                                ASSERT_TRUE(within(wx, rect.x, rect.width, size[0]) && within(wy, rect.y, rect.height, size[1]))
                                    << angle << " " << bass << " " << wx << " " << wy;
                            }
                }
            }
    std::printf("rectangle's share of the window: %.0f %% to %.0f %%\n", 100 * smallestShare, 100 * largestShare);
}

TEST(FieldWindowRect, TheWholeViewportWhereACornerIsBehindTheNearPlaneNothingOffIt) {
    const float fields[1] = {45.0f};
    const float low[3] = {0.15f, 0.0f, -4.75f}, high[3] = {4.9f, 1.0f, 0.0f};
    // The eye inside the field: corners behind it.
    const PixelRect inside = FieldWindowRect(Translate(-2.4f, -0.5f, 2.4f).m, fields, 1, 1.0f, 0.1f, 640, 380, low, high);
    EXPECT_EQ(inside.x, 0);
    EXPECT_EQ(inside.y, 0);
    EXPECT_EQ(inside.width, 640);
    EXPECT_EQ(inside.height, 380);
    // The field far to the side of the view.
    const PixelRect aside = FieldWindowRect(Translate(60.0f, 0.0f, -9.6f).m, fields, 1, 1.0f, 0.1f, 640, 380, low, high);
    EXPECT_TRUE(aside.Empty());
    EXPECT_TRUE(FieldWindowRect(FrameModelview(0.0f).m, fields, 1, 1.0f, 0.1f, 0, 380, low, high).Empty());
}

}  // namespace
