// The built-in demo track: a beat and a few chords, synthesised at start, so the host needs no file.
// Deterministic: the hi-hat's noise comes from a fixed linear congruential sequence.
#include "host/playback/demo_track.h"
#include <cmath>

namespace {
const int kRate = 44100;
const float kBeatSeconds = 0.5f;
const float kPi = 3.14159265f;

// Four chords (A minor, F, C, G), three notes each, in Hz.
const float kChords[4][3] = {
    {220.00f, 261.63f, 329.63f}, {174.61f, 220.00f, 261.63f},
    {261.63f, 329.63f, 392.00f}, {196.00f, 246.94f, 293.66f},
};

float Kick(float t) {
    // A falling sine from 110 to 45 Hz, phase integrated, with a fast decay.
    const float phase = 2.0f * kPi * (45.0f * t + 65.0f * (1.0f - std::exp(-t * 18.0f)) / 18.0f);
    return std::sin(phase) * std::exp(-t * 7.0f);
}
}  // namespace

AudioClip SynthesiseDemoTrack() {
    AudioClip clip;
    clip.sampleRate = kRate;
    const size_t frames = size_t(kRate) * 20;
    clip.left.resize(frames);
    clip.right.resize(frames);
    uint32_t noise = 12345;
    float previousNoise = 0.0f;
    for (size_t i = 0; i < frames; ++i) {
        const float t = float(i) / kRate;
        const float beatTime = std::fmod(t, kBeatSeconds);
        const float offBeat = std::fmod(t + kBeatSeconds / 2, kBeatSeconds);
        noise = noise * 1664525u + 1013904223u;
        const float white = float(int32_t(noise)) / 2147483648.0f;
        const float hat = (white - previousNoise) * 0.5f * std::exp(-offBeat * 60.0f);
        previousNoise = white;
        const float (&chord)[3] = kChords[size_t(t / (8 * kBeatSeconds)) % 4];
        const float chordTime = std::fmod(t, 8 * kBeatSeconds);
        const float swell = (1.0f - std::exp(-chordTime * 4.0f)) * std::exp(-chordTime * 0.3f);
        float pad = 0.0f;
        for (float note : chord) pad += std::sin(2.0f * kPi * note * t);
        const float body = 0.7f * Kick(beatTime) + 0.08f * swell * pad;
        clip.left[i] = body + 0.25f * hat;
        clip.right[i] = body + 0.15f * hat;
    }
    return clip;
}
