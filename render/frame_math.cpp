// The frame driver's arithmetic, free of any platform call: fps counting windows, bass level,
// pacing pause and the rotation angle.
#include "render/frame_math.h"
#include <cmath>

void FpsCounterUpdate(FpsCounter& counter, float m) {
    if (counter.windowStartMs == -1.0f) counter.windowStartMs = m;
    if (m - counter.windowStartMs >= 1000.0f) {
        counter.shownFps = counter.framesInWindow;
        counter.windowStartMs = m;
        counter.framesInWindow = 1.0f;
    } else {
        counter.framesInWindow = counter.framesInWindow + 1.0f;
    }
}

float BassLevelFromBin(unsigned char bin) {
    return bin * kBinToLevel;
}

int PacingMilliseconds(float bassLevel, bool beatChangesSpeed) {
    if (!beatChangesSpeed) return 2;
    double cube = std::exp((double)bassLevel - 1.0);
    return (int)std::trunc(40.0 * cube * cube * cube);
}

float TicksToSeconds(uint32_t startTick, uint32_t nowTick) {
    return (float)(uint32_t)(nowTick - startTick) * 0.001f;
}

void ToggleRotation(SceneRotation& rotation, bool& rotationOn, float frameTime) {
    rotationOn = !rotationOn;
    if (rotationOn) rotation.heldDegrees += kDegreesPerSecond * frameTime - rotation.stopDegrees;
    else rotation.stopDegrees = kDegreesPerSecond * frameTime;
}
