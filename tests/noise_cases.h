// The noise tables and gradient noise checked against the Microsoft generator's sequence from
// seed 351; included by the Wine tests (real msvcrt) and the native tests (the formula).
#pragma once
#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include "render/noise.h"

inline void EnsureNoiseTables() {
    const float origin[2] = {0.0f, 0.0f};
    GradientNoise2D(origin);
}

TEST(NoiseTables, SeedThreeFiftyOneGivesTheKnownShuffleAndGradients) {
    EnsureNoiseTables();
    const int head[] = {252, 107, 81, 17, 92, 130, 63, 146};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(noiseTables.permutation[i], head[i]) << i;
    EXPECT_EQ(noiseTables.permutation[255], 222);
    EXPECT_NEAR(noiseTables.gradients2[0][0], 0.3606f, 1e-4);
    EXPECT_NEAR(noiseTables.gradients2[0][1], -0.9327f, 1e-4);
    // A shuffle: every value 0 to 255 once.
    bool seen[256] = {};
    for (int i = 0; i < 256; ++i) {
        ASSERT_GE(noiseTables.permutation[i], 0);
        ASSERT_LT(noiseTables.permutation[i], 256);
        EXPECT_FALSE(seen[noiseTables.permutation[i]]);
        seen[noiseTables.permutation[i]] = true;
    }
}

TEST(NoiseTables, ExtendedEntriesRepeatTheFirstAndGradientsAreUnit) {
    EnsureNoiseTables();
    for (int i = 0; i <= 257; ++i) {
        EXPECT_EQ(noiseTables.permutation[256 + i], noiseTables.permutation[i]) << i;
        EXPECT_EQ(noiseTables.gradients1[256 + i], noiseTables.gradients1[i]) << i;
        EXPECT_EQ(noiseTables.gradients2[256 + i][0], noiseTables.gradients2[i][0]) << i;
        EXPECT_EQ(noiseTables.gradients2[256 + i][1], noiseTables.gradients2[i][1]) << i;
        for (int c = 0; c < 3; ++c) EXPECT_EQ(noiseTables.gradients3[256 + i][c], noiseTables.gradients3[i][c]);
    }
    for (int i = 0; i < 514; ++i) {
        const float* g = noiseTables.gradients2[i];
        EXPECT_NEAR(std::sqrt(g[0] * g[0] + g[1] * g[1]), 1.0f, 1e-5) << i;
        const float* h = noiseTables.gradients3[i];
        EXPECT_NEAR(std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]), 1.0f, 1e-5) << i;
        // 1-D gradients are raw draws: -1 to 255/256 in steps of 1/256.
        const float steps = noiseTables.gradients1[i] * 256.0f;
        EXPECT_EQ(steps, std::floor(steps));
        EXPECT_GE(noiseTables.gradients1[i], -1.0f);
        EXPECT_LE(noiseTables.gradients1[i], 255.0f / 256.0f);
    }
}

TEST(GradientNoise2D, ZeroAtLatticePointsAndKnownBetween) {
    EnsureNoiseTables();
    const float lattice[][2] = {{0, 0}, {1, 0}, {0, 7}, {13, 200}, {255, 256}, {3000, 41}};
    for (const auto& point : lattice) EXPECT_EQ(GradientNoise2D(point), 0.0f);
    const float middle[2] = {0.5f, 0.5f};
    EXPECT_NEAR(GradientNoise2D(middle), 0.3607f, 1e-4);
    // Bounded everywhere within about 0.71.
    for (int i = 0; i < 2000; ++i) {
        const float point[2] = {i * 0.37f, i * 0.113f};
        EXPECT_LE(std::fabs(GradientNoise2D(point)), 0.72f);
    }
}

TEST(GradientNoise2D, BuildsTheTablesOnceOnTheFirstCall) {
    EnsureNoiseTables();
    EXPECT_EQ(noiseTablesPending, 0);
    // A rebuild would reseed the generator with 351.
    std::srand(7);
    const int expected = std::rand();
    std::srand(7);
    const float point[2] = {2.5f, 3.25f};
    GradientNoise2D(point);
    EXPECT_EQ(std::rand(), expected);
    // Forcing the flag builds again, restoring the same tables.
    noiseTablesPending = 1;
    noiseTables.permutation[0] = -1;
    GradientNoise2D(point);
    EXPECT_EQ(noiseTablesPending, 0);
    EXPECT_EQ(noiseTables.permutation[0], 252);
}
