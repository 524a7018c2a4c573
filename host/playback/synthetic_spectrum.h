// What the host feeds the plug-in as spectrum before each frame: a constant, a ramp over the bins,
// or a built-in demo signal with a beat.
#pragma once
#include "host/run/options.h"

#include "host/listen/spectrum.h"
// Fills both channels (576 bytes each) for the 1-based frame number.
void FillSpectrum(const HostOptions& options, int frame, unsigned char data[2][kSpectrumBins]);
