// Classic 2-D gradient noise over a 256-entry lattice, tables built lazily from the C runtime's
// generator seeded with 351. Platform-free; the veil that draws it is in noise_veil.cpp.
#include "render/noise.h"
#include <cmath>
#include <cstdlib>

NoiseTables noiseTables;
int noiseTablesPending = 1;

namespace {
const int kLattice = 256;
const int kMask = 255;
const float kInputOffset = 4096.0f;

// One gradient component from one draw: -1 to 255/256 in steps of 1/256.
float GradientComponent() {
    return (float)(std::rand() % 512 - 256) / 256.0f;
}

struct Axis {
    int b0, b1;
    float r0, r1;
};

Axis LatticeAxis(float coordinate) {
    const float t = coordinate + kInputOffset;
    const int n = (int)t;
    Axis axis;
    axis.b0 = n & kMask;
    axis.b1 = (axis.b0 + 1) & kMask;
    axis.r0 = t - (float)n;
    axis.r1 = axis.r0 - 1.0f;
    return axis;
}

float Dot(int index, float rx, float ry) {
    const float* g = noiseTables.gradients2[index];
    return rx * g[0] + ry * g[1];
}
}  // namespace

void NoiseTablesBuild() {
    NoiseTables& tables = noiseTables;
    std::srand(351);
    // The draw order fixes the pattern: the unread 1-D and 3-D gradients keep their places.
    for (int i = 0; i < kLattice; ++i) {
        tables.permutation[i] = i;
        tables.gradients1[i] = (float)(std::rand() % 512 - 256) * 0.00390625f;
        float* g2 = tables.gradients2[i];
        g2[0] = GradientComponent();
        g2[1] = GradientComponent();
        const float length2 = std::sqrt(g2[0] * g2[0] + g2[1] * g2[1]);
        g2[0] /= length2;
        g2[1] /= length2;
        float* g3 = tables.gradients3[i];
        g3[0] = GradientComponent();
        g3[1] = GradientComponent();
        g3[2] = GradientComponent();
        const float length3 = std::sqrt(g3[0] * g3[0] + g3[1] * g3[1] + g3[2] * g3[2]);
        g3[0] /= length3;
        g3[1] /= length3;
        g3[2] /= length3;
    }
    // The partner is drawn from the whole range each time, not from 0 to i.
    for (int i = kLattice - 1; i >= 1; --i) {
        const int k = tables.permutation[i];
        const int j = std::rand() % kLattice;
        tables.permutation[i] = tables.permutation[j];
        tables.permutation[j] = k;
    }
    // Ascending, so entries 512 and 513 take the already copied 256 and 257.
    for (int i = 0; i < kLattice + 2; ++i) {
        tables.permutation[kLattice + i] = tables.permutation[i];
        tables.gradients1[kLattice + i] = tables.gradients1[i];
        tables.gradients2[kLattice + i][0] = tables.gradients2[i][0];
        tables.gradients2[kLattice + i][1] = tables.gradients2[i][1];
        for (int c = 0; c < 3; ++c) tables.gradients3[kLattice + i][c] = tables.gradients3[i][c];
    }
}

float GradientNoise2D(const float point[2]) {
    if (noiseTablesPending) {
        noiseTablesPending = 0;
        NoiseTablesBuild();
    }
    const Axis x = LatticeAxis(point[0]);
    const Axis y = LatticeAxis(point[1]);
    const int* p = noiseTables.permutation;
    const int i = p[x.b0];
    const int j = p[x.b1];
    const int b00 = p[i + y.b0];
    const int b10 = p[j + y.b0];
    const int b01 = p[i + y.b1];
    const int b11 = p[j + y.b1];
    const float sx = x.r0 * x.r0 * (3.0f - 2.0f * x.r0);
    const float sy = y.r0 * y.r0 * (3.0f - 2.0f * y.r0);
    float u = Dot(b00, x.r0, y.r0);
    float v = Dot(b10, x.r1, y.r0);
    const float a = u + sx * (v - u);
    u = Dot(b01, x.r0, y.r1);
    v = Dot(b11, x.r1, y.r1);
    const float b = u + sx * (v - u);
    return a + sy * (b - a);
}
