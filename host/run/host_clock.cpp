// The bench's clock: the real tick and performance counters, or a fake tick that advances by a fixed
// step per Render so that two runs with the same options present the same frames byte for byte.
#include "host/run/host_clock.h"
#include "host/base/real_clock.h"

namespace {
// NOTE: a nonzero start, well away from 0 and from the 49.7-day wrap, so that a reader that treats
// 0 as "not yet read" or subtracts ticks sees nothing unusual.
constexpr DWORD kFakeStartTick = 1000000;
DWORD stepMs = 0;
DWORD fakeTick = kFakeStartTick;
}  // namespace

void HostClockSetStep(DWORD step) {
    stepMs = step;
    fakeTick = kFakeStartTick;
}

bool HostClockFake() { return stepMs != 0; }

void HostClockAdvance() {
    if (stepMs) fakeTick += stepMs;
}

void HostClockStepBack() {
    if (stepMs) fakeTick -= stepMs;
}

DWORD HostClockTicks() { return stepMs ? fakeTick : GetTickCount(); }

double HostClockSeconds() {
    return stepMs ? fakeTick / 1000.0 : RealClockSeconds();
}
