// The frame driver's arithmetic: fps counting windows, the pacing table, the clock's wrap-around
// and pausing the rotation without a jump.
#include <gtest/gtest.h>
#include "render/frame_math.h"

TEST(FpsCounter, FirstWindowOpensAtFirstFrameAndClosesAtOneSecondOrMore) {
    FpsCounter counter;
    FpsCounterUpdate(counter, 500.0f);
    EXPECT_EQ(counter.windowStartMs, 500.0f);
    EXPECT_EQ(counter.framesInWindow, 1.0f);
    EXPECT_EQ(counter.shownFps, 0.0f);
    for (int i = 1; i < 10; ++i) FpsCounterUpdate(counter, 500.0f + i * 100.0f - 1.0f);
    EXPECT_EQ(counter.shownFps, 0.0f) << "the window is still open just before 1000 ms";
    FpsCounterUpdate(counter, 1500.0f);  // exactly 1000 ms later closes it
    EXPECT_EQ(counter.shownFps, 10.0f);
    EXPECT_EQ(counter.windowStartMs, 1500.0f);
    EXPECT_EQ(counter.framesInWindow, 1.0f);
}

TEST(FpsCounter, WindowRestartsAtTheClosingFramesOwnTime) {
    FpsCounter counter;
    FpsCounterUpdate(counter, 0.0f);
    FpsCounterUpdate(counter, 2500.0f);
    EXPECT_EQ(counter.shownFps, 1.0f);
    EXPECT_EQ(counter.windowStartMs, 2500.0f);
}

TEST(Pacing, BassTableMatchesTheFirstBinOfEachPause) {
    const int firstBins[] = {1, 48, 82, 108, 129, 147, 163, 176, 189, 200, 210, 219, 228, 236, 244, 251};
    EXPECT_EQ(PacingMilliseconds(BassLevelFromBin(0), true), 1);
    int expected = 1;
    for (int bin = 0; bin < 256; ++bin) {
        for (int step = 0; step < 16; ++step)
            if (bin == firstBins[step]) expected = step + 2;
        EXPECT_EQ(PacingMilliseconds(BassLevelFromBin((unsigned char)bin), true), expected) << "bin " << bin;
    }
    EXPECT_EQ(PacingMilliseconds(BassLevelFromBin(255), true), 17);
    EXPECT_EQ(PacingMilliseconds(BassLevelFromBin(255), false), 2);
    EXPECT_FLOAT_EQ(BassLevelFromBin(255), 0.7285714f);
}

TEST(Clock, TickDifferenceSurvivesWrapAround) {
    EXPECT_FLOAT_EQ(TicksToSeconds(1000u, 3500u), 2.5f);
    EXPECT_FLOAT_EQ(TicksToSeconds(0xFFFFFF00u, 0x00000100u), 0.512f);
}

TEST(Rotation, PauseAndResumeContinueFromTheFrozenAngle) {
    SceneRotation rotation;
    bool on = true;
    ToggleRotation(rotation, on, 10.0f);  // off at angle 40
    EXPECT_FALSE(on);
    EXPECT_FLOAT_EQ(rotation.stopDegrees, 40.0f);
    ToggleRotation(rotation, on, 15.0f);  // on again five seconds later
    EXPECT_TRUE(on);
    EXPECT_FLOAT_EQ(kDegreesPerSecond * 15.0f - rotation.heldDegrees, 40.0f);
    EXPECT_FLOAT_EQ(kDegreesPerSecond * 16.0f - rotation.heldDegrees, 44.0f);
}
