// The spectrum and waveform blocks a player hands a visualisation: 576 bytes per channel each,
// computed from the samples at the play position with a real FFT (kissfft).
#pragma once
#include <cstdint>

const int kSpectrumBins = 576;
const int kFftSize = 2 * kSpectrumBins;  // bin k holds k * rate / 1152 Hz

// Opaque FFT state; one per thread.
struct SpectrumAnalyser;
SpectrumAnalyser* SpectrumAnalyserCreate();
void SpectrumAnalyserDestroy(SpectrumAnalyser* analyser);
// samples: kFftSize floats ending at the play position (pad with zeros before the start).
// Writes 576 values 0..255, low frequencies first: -60 dB of full scale and below give 0,
// a full-scale sine gives 255 in its bin.
void ComputeSpectrum(SpectrumAnalyser* analyser, const float* samples, uint8_t* bins);
// 576 signed 8-bit samples from the samples starting at the play position.
void ComputeWaveform(const float* samples, uint8_t* out);
