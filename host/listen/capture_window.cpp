// The newest captured samples on the host's clock: a ring per channel indexed by frame number,
// where frame n plays at anchor + n / rate, and the clock follows a device that runs ahead of it.
#include "host/listen/capture_window.h"
#include <algorithm>
#include <cmath>

namespace {
const long long kRingFrames = 4 * kFftSize;
}  // namespace

void CaptureWindow::Reset(int sampleRate, double now) {
    rate = sampleRate > 0 ? sampleRate : 44100;
    anchor = now;
    latest = 0;
    for (std::vector<float>& channel : ring) channel.assign(size_t(kRingFrames), 0.0f);
}

long long CaptureWindow::ClockFrame(double now) const { return (long long)std::floor((now - anchor) * rate); }

void CaptureWindow::Write(const AudioClip& packet, double now) {
    if (ring[0].empty()) Reset(rate, now);
    const long long frames = (long long)packet.Frames();
    const long long clock = ClockFrame(now);
    const long long slack = (long long)(kSlackSeconds * rate);
    // After a silence longer than the slack the reader has moved on: the packet ends now, and the
    // frames skipped in between are silence.
    if (latest < clock - slack - frames) {
        const long long start = clock - frames;
        for (long long at = std::max(latest, start - kRingFrames); at < start; ++at)
            for (std::vector<float>& channel : ring) channel[size_t(at % kRingFrames)] = 0.0f;
        latest = start;
    }
    const std::vector<float>* source[2] = {&packet.left, &packet.right};
    // Only the newest ring's worth of a huge packet can be read.
    for (long long i = std::max(0LL, frames - kRingFrames); i < frames; ++i)
        for (int c = 0; c < 2; ++c) ring[c][size_t((latest + i) % kRingFrames)] = (*source[c])[size_t(i)];
    latest += frames;
    // A device ahead of the clock (rates never match exactly) moves the clock, not the window.
    if (latest > clock) anchor -= double(latest - clock) / rate;
}

void CaptureWindow::Read(double now, float* left, float* right) const {
    const long long end = std::max(std::min(latest, ClockFrame(now)), ClockFrame(now) - (long long)(kSlackSeconds * rate));
    float* out[2] = {left, right};
    for (int i = 0; i < kFftSize; ++i) {
        const long long at = end - kFftSize + i;
        const bool held = !ring[0].empty() && at >= 0 && at < latest && at >= latest - kRingFrames;
        for (int c = 0; c < 2; ++c) out[c][i] = held ? ring[c][size_t(at % kRingFrames)] : 0.0f;
    }
}
