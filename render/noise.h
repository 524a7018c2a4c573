// Classic 2-D gradient noise over a 256-entry lattice, tables built lazily from the C runtime's
// generator seeded with 351. Platform-free; the veil that draws it is in noise_veil.cpp.
#pragma once

struct NoiseTables {
    int permutation[514];
    float gradients1[514];
    float gradients2[514][2];
    float gradients3[514][3];
};
extern NoiseTables noiseTables;
extern int noiseTablesPending;

void NoiseTablesBuild();
float GradientNoise2D(const float point[2]);
void NoiseVeilDraw(float bassLevel);
