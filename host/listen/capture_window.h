// The newest samples a capture device delivered, placed on the host's clock, from which each frame's
// spectrum and waveform are taken. Platform-free, so it is unit-tested natively.
#pragma once
#include <vector>
#include "host/listen/spectrum.h"
#include "host/listen/wav_format.h"

class CaptureWindow {
public:
    // Empty (all zeros) at sampleRate, its clock anchored at `now` (seconds on any steady clock).
    void Reset(int sampleRate, double now);
    // A packet that arrived at `now`; its last sample is the newest one.
    void Write(const AudioClip& packet, double now);
    // kFftSize samples per channel ending at `now`, less the slack a packet may be late. Where
    // nothing arrived they read as zeros: a device that stops delivering (as Windows does when
    // nothing plays) drains the window, and the bars fall instead of freezing.
    void Read(double now, float* left, float* right) const;
    int SampleRate() const { return rate; }

    // How late a packet may arrive before the window reads silence in its place.
    static constexpr double kSlackSeconds = 0.05;

private:
    long long ClockFrame(double now) const;

    int rate = 44100;
    double anchor = 0.0;    // the clock time of frame 0
    long long latest = 0;   // one past the newest frame written
    std::vector<float> ring[2];
};
