// The noise tables and gradient noise natively, under sanitizers, with the Microsoft runtime's
// generator written from its formula in place of glibc's.
#include "tests/noise_cases.h"

namespace {
unsigned int generatorState = 1;
}

// Interposes the C library's generator for this test program: the noise must follow Microsoft's.
extern "C" void srand(unsigned int seed) noexcept { generatorState = seed; }
extern "C" int rand() noexcept {
    generatorState = generatorState * 214013u + 2531011u;
    return (int)((generatorState >> 16) & 0x7fff);
}

TEST(NativeGenerator, FollowsTheFormula) {
    std::srand(351);
    EXPECT_EQ(std::rand(), (351u * 214013u + 2531011u) >> 16 & 0x7fff);
}
