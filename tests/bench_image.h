// Measures over captured frames for the bench tests: brightness and ink counts inside a rectangle,
// and how many pixels two frames disagree on.
#pragma once
#include <cstdlib>
#include "tests/bench.h"

// Sum of R + G + B inside the rectangle.
inline long long Brightness(const BenchImage& image, int left, int top, int right, int bottom) {
    long long sum = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) sum += image.R(x, y) + image.G(x, y) + image.B(x, y);
    return sum;
}

template <typename Test>
int CountIn(const BenchImage& image, int left, int top, int right, int bottom, Test test) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) count += test(image, x, y) ? 1 : 0;
    return count;
}

// Pixels that differ, in their RGB sum, by more than `threshold` inside the rectangle.
inline int DifferingPixels(const BenchImage& a, const BenchImage& b, int left, int top, int right, int bottom,
                           int threshold = 24) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            int d = std::abs(a.R(x, y) - b.R(x, y)) + std::abs(a.G(x, y) - b.G(x, y)) + std::abs(a.B(x, y) - b.B(x, y));
            count += d > threshold ? 1 : 0;
        }
    return count;
}
