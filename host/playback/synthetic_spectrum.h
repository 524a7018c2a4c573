// What the host feeds the plug-in as spectrum before each frame: a constant, a ramp over the bins,
// or a built-in demo signal with a beat.
#pragma once
#include "host/listen/spectrum.h"

enum class SpectrumKind { Demo, Ramp, Constant, Random };

// Fills both channels (576 bytes each) for the 1-based frame number; `value` is Constant's byte.
void FillSpectrum(SpectrumKind kind, int value, int frame, unsigned char data[2][kSpectrumBins]);
