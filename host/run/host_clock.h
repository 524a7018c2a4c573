// The bench's clock, handed to the plug-in instead of the system's: with --clock-step, every tick
// reading and the playlist's position come from a fake clock that moves only when a Render starts.
#pragma once
#include <windows.h>

// 0 keeps the real clocks; otherwise each Render advances the fake clock by stepMs.
void HostClockSetStep(DWORD stepMs);
bool HostClockFake();
// Called before each Render: the reading stays constant for the whole frame.
void HostClockAdvance();
// Takes the last step back, after a Render that drew nothing: the clock moves once per frame drawn.
void HostClockStepBack();
// The tick count the plug-in sees (the system's unless the clock is fake).
DWORD HostClockTicks();
// Seconds for the playlist and the capture; the fake clock when set, else the real one.
double HostClockSeconds();
