// The spectrum and waveform blocks a player hands a visualisation, computed from the samples at
// the play position: Hann window, kissfft's real FFT, magnitude in decibels mapped to a byte.
#include "host/listen/spectrum.h"
#include <cmath>
#include <vector>
#include "kiss_fftr.h"

struct SpectrumAnalyser {
    kiss_fftr_cfg config;
    std::vector<float> window;
    std::vector<float> input;
    std::vector<kiss_fft_cpx> output;
};

SpectrumAnalyser* SpectrumAnalyserCreate() {
    SpectrumAnalyser* analyser = new SpectrumAnalyser;
    analyser->config = kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr);
    analyser->window.resize(kFftSize);
    for (int i = 0; i < kFftSize; ++i)
        analyser->window[i] = 0.5f - 0.5f * std::cos(2.0f * 3.14159265f * i / kFftSize);
    analyser->input.resize(kFftSize);
    analyser->output.resize(kFftSize / 2 + 1);
    return analyser;
}

void SpectrumAnalyserDestroy(SpectrumAnalyser* analyser) {
    if (!analyser) return;
    kiss_fftr_free(analyser->config);
    delete analyser;
}

void ComputeSpectrum(SpectrumAnalyser* analyser, const float* samples, uint8_t* bins) {
    for (int i = 0; i < kFftSize; ++i) analyser->input[i] = samples[i] * analyser->window[i];
    kiss_fftr(analyser->config, analyser->input.data(), analyser->output.data());
    // A full-scale sine through a Hann window peaks at kFftSize / 4.
    const float fullScale = kFftSize / 4.0f;
    for (int k = 0; k < kSpectrumBins; ++k) {
        const kiss_fft_cpx c = analyser->output[k];
        const float magnitude = std::sqrt(c.r * c.r + c.i * c.i) / fullScale;
        const float decibels = magnitude > 1e-9f ? 20.0f * std::log10(magnitude) : -200.0f;
        const float value = (decibels + 60.0f) * 255.0f / 60.0f;
        bins[k] = uint8_t(value <= 0.0f ? 0 : value >= 255.0f ? 255 : int(value + 0.5f));
    }
}

void ComputeWaveform(const float* samples, uint8_t* out) {
    for (int i = 0; i < kSpectrumBins; ++i) {
        float v = samples[i] * 127.0f;
        v = v > 127.0f ? 127.0f : v < -128.0f ? -128.0f : v;
        out[i] = uint8_t(int8_t(std::lrint(v)));
    }
}
