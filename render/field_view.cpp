// Where a perspective camera stands relative to the bar field, the margin within which a side's
// facing on screen is left to the driver, and the window rectangle the field can cover. Platform-free arithmetic.
#include "render/field_view.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// How far the driver may move a window coordinate, in pixels: llvmpipe snaps vertices to 1/256 of a
// pixel, softpipe keeps floats. Twice the coarser of the two; the field trusts it only where the
// driver reports at least 8 sub-pixel bits.
const float kWindowSlack = 1.0f / 128.0f;
// Columns of a rotation made by the driver are orthonormal to within float rounding.
const float kRigidTolerance = 1e-5f;

// A rotation and a shift: orthonormal columns and a positive determinant. A mirror (the overlays'
// glScalef(1, -1, 1)) is orthonormal too, but turns every facing round.
bool Rigid(const float* m) {
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            const float dot = m[4 * a] * m[4 * b] + m[4 * a + 1] * m[4 * b + 1] + m[4 * a + 2] * m[4 * b + 2];
            if (!(std::fabs(dot - (a == b ? 1.0f : 0.0f)) <= kRigidTolerance)) return false;
        }
    const float determinant = m[0] * (m[5] * m[10] - m[6] * m[9]) - m[4] * (m[1] * m[10] - m[2] * m[9]) +
                              m[8] * (m[1] * m[6] - m[2] * m[5]);
    return determinant > 0.0f && m[3] == 0.0f && m[7] == 0.0f && m[11] == 0.0f && m[15] == 1.0f;
}

// What gluPerspective makes: x and y scaled by positive factors, depth divided out, nothing skewed.
bool CentredPerspective(const float* p) {
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13})
        if (p[i] != 0.0f) return false;
    return p[0] > 0.0f && p[5] > 0.0f && p[11] == -1.0f && p[15] == 0.0f;
}
}  // namespace

FieldView FieldViewFrom(const float modelview[16], const float projection[16], int viewportWidth,
                        int viewportHeight, const float low[3], const float high[3]) {
    FieldView view;
    const float* m = modelview;
    const float* p = projection;
    if (!Rigid(m) || !CentredPerspective(p) || viewportWidth <= 0 || viewportHeight <= 0) return view;
    // The box wholly in front of the near plane and short of the far one: nothing is clipped, so
    // the driver's facing is the sign of the eye-space corners' determinant.
    const float nearPlane = p[14] / (p[10] - 1.0f);
    const float farPlane = p[14] / (p[10] + 1.0f);
    // A near plane at or behind the eye would let corners behind it pass the depth test below.
    if (!(nearPlane > 0.0f)) return view;
    float reach = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        const float c[3] = {corner & 1 ? high[0] : low[0], corner & 2 ? high[1] : low[1], corner & 4 ? high[2] : low[2]};
        float e[3];
        for (int r = 0; r < 3; ++r) e[r] = m[r] * c[0] + m[4 + r] * c[1] + m[8 + r] * c[2] + m[12 + r];
        if (!(-e[2] > nearPlane && -e[2] < farPlane)) return view;
        reach = std::max(reach, std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]));
    }
    // The rotation's transpose takes the eye (the origin of eye space) back into the field.
    for (int a = 0; a < 3; ++a) view.eye[a] = -(m[4 * a] * m[12] + m[4 * a + 1] * m[13] + m[4 * a + 2] * m[14]);
    // A window vertex off by the slack in x and y is an eye-space corner moved sideways by at most
    // this much at depth `reach`, where a unit spans the fewest pixels.
    const float pixelsPerUnit = 0.5f * std::min(p[0] * (float)viewportWidth, p[5] * (float)viewportHeight);
    view.reach = reach;
    view.slack = std::sqrt(2.0f) * kWindowSlack * reach / pixelsPerUnit;
    view.known = true;
    return view;
}

// A triangle's facing is the sign of det[P0, P1, P2] of its eye-space corners, which is twice its
// area times the eye's distance from its plane. Corners moved by at most s, each within r of the eye,
// change the determinant by at most s r (perimeter) + 3 s^2 r + s^3; a right triangle's perimeter
// is at most twice the sum of its legs. The model-view's own rounding adds a little distance.
float SideMargin(const FieldView& view, float width, float shortest) {
    if (!view.known) return std::numeric_limits<float>::infinity();
    const float s = view.slack, r = view.reach;
    const float bound = s * r * 2.0f * (width + shortest) + 3.0f * s * s * r + s * s * s;
    return bound / (width * shortest) + 2.0f * kRigidTolerance * r;
}

PixelRect FieldWindowRect(const float modelview[16], const float* fieldsOfView, int count, float aspect,
                          float nearPlane, int viewportWidth, int viewportHeight, const float low[3],
                          const float high[3]) {
    PixelRect whole;
    whole.width = std::max(viewportWidth, 0);
    whole.height = std::max(viewportHeight, 0);
    if (whole.Empty() || count <= 0) return PixelRect();
    const double pi = 3.14159265358979323846;
    const float* m = modelview;
    const double inf = std::numeric_limits<double>::infinity();
    double left = inf, right = -inf, bottom = inf, top = -inf;
    for (int corner = 0; corner < 8; ++corner) {
        const double c[3] = {corner & 1 ? high[0] : low[0], corner & 2 ? high[1] : low[1], corner & 4 ? high[2] : low[2]};
        double e[3];
        for (int r = 0; r < 3; ++r) e[r] = m[r] * c[0] + m[4 + r] * c[1] + m[8 + r] * c[2] + m[12 + r];
        const double depth = -e[2];
        if (!(depth > nearPlane)) return whole;
        for (int pass = 0; pass < count; ++pass) {
            const double f = 1.0 / std::tan(fieldsOfView[pass] * pi / 360.0);
            const double x = (f / aspect * e[0] / depth + 1.0) * 0.5 * viewportWidth;
            const double y = (f * e[1] / depth + 1.0) * 0.5 * viewportHeight;
            left = std::min(left, x), right = std::max(right, x);
            bottom = std::min(bottom, y), top = std::max(top, y);
        }
    }
    if (!(std::isfinite(left) && std::isfinite(right) && std::isfinite(bottom) && std::isfinite(top))) return whole;
    // Rounded out, a pixel to spare each side, within the viewport (clamped as doubles: no int overflow).
    auto clamp = [](double v, int size) { return (int)std::min(std::max(v, 0.0), (double)size); };
    PixelRect rect;
    rect.x = clamp(std::floor(left) - 1.0, viewportWidth);
    rect.y = clamp(std::floor(bottom) - 1.0, viewportHeight);
    rect.width = std::max(clamp(std::ceil(right) + 1.0, viewportWidth) - rect.x, 0);
    rect.height = std::max(clamp(std::ceil(top) + 1.0, viewportHeight) - rect.y, 0);
    if (rect.Empty()) return PixelRect();
    return rect;
}
