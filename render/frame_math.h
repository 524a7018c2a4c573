// The frame driver's arithmetic, free of any platform call: fps counting windows, bass level,
// pacing pause and the rotation angle. Built natively too, for fast unit tests.
#pragma once
#include <cstdint>

struct FpsCounter {
    float windowStartMs = -1.0f;
    float framesInWindow = 0.0f;
    float shownFps = 0.0f;
};

struct SceneRotation {
    float angleDegrees = 0.0f;
    float heldDegrees = 0.0f;
    float stopDegrees = 0.0f;
};

const float kBinToLevel = 0.0028571428265422583f;   // 1/350 in single precision
const float kDegreesPerSecond = 4.0f;

// Counts one frame at clock time m (milliseconds); closes the window after 1000 ms or more.
void FpsCounterUpdate(FpsCounter& counter, float m);
float BassLevelFromBin(unsigned char bin);
// Pause after a frame in milliseconds: 1 to 17 by the bass, or a fixed 2 ms.
int PacingMilliseconds(float bassLevel, bool beatChangesSpeed);
// Seconds from two millisecond ticks; the unsigned difference survives the tick's wrap-around.
float TicksToSeconds(uint32_t startTick, uint32_t nowTick);
// Flips the switch; resumes from the frozen angle when it comes back on.
void ToggleRotation(SceneRotation& rotation, bool& rotationOn, float frameTime);
