// Listening without a device: a capture device's mix format read and converted (PCM 16 mono at
// 48 kHz, extensible float, surround), and the capture window that falls silent when packets stop.
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include "host/sound/capture_window.h"
#include "host/sound/spectrum.h"
#include "host/sound/wav_format.h"

namespace {
// A WAVEFORMATEX's bytes; with `extensible`, WAVE_FORMAT_EXTENSIBLE with that sub-format tag.
std::vector<uint8_t> MixFormat(int tag, int channels, int rate, int bits, bool extensible) {
    std::vector<uint8_t> f(extensible ? 40 : 18);
    auto put16 = [&](int at, int v) { f[at] = uint8_t(v); f[at + 1] = uint8_t(v >> 8); };
    auto put32 = [&](int at, int v) { put16(at, v & 0xffff); put16(at + 2, (v >> 16) & 0xffff); };
    put16(0, extensible ? 0xFFFE : tag);
    put16(2, channels);
    put32(4, rate);
    put32(8, rate * channels * bits / 8);
    put16(12, channels * bits / 8);
    put16(14, bits);
    put16(16, extensible ? 22 : 0);
    if (extensible) put16(24, tag);
    return f;
}

int PeakBin(const uint8_t* bins) {
    int best = 0;
    for (int k = 1; k < kSpectrumBins; ++k)
        if (bins[k] > bins[best]) best = k;
    return best;
}

AudioClip TonePacket(int frames, long long first, int rate, float hz) {
    AudioClip clip;
    for (long long i = first; i < first + frames; ++i) {
        clip.left.push_back(0.5f * float(std::sin(2 * M_PI * hz * double(i) / rate)));
        clip.right.push_back(0.0f);
    }
    return clip;
}
}  // namespace

TEST(MixFormat, DeviceFormatsConvertToStereoFloats) {
    struct Case { int tag, channels, rate, bits; bool extensible; std::vector<uint8_t> frame; float left, right; };
    const Case cases[] = {
        {1, 1, 48000, 16, false, {0x00, 0xc0}, -0.5f, -0.5f},                              // PCM 16 mono
        {3, 2, 44100, 32, true, {0, 0, 0, 0x3f, 0, 0, 0, 0xbf}, 0.5f, -0.5f},             // Wine's float
        {1, 6, 48000, 32, true, std::vector<uint8_t>(24, 0), 0.0f, 0.0f},                  // 5.1, PCM 32
        {1, 2, 96000, 24, true, {0, 0, 0x40, 0, 0, 0xc0}, 0.5f, -0.5f},
    };
    for (const Case& c : cases) {
        WavFormat format;
        auto bytes = MixFormat(c.tag, c.channels, c.rate, c.bits, c.extensible);
        ASSERT_EQ(ParseMixFormat(bytes.data(), bytes.size(), format), "") << c.channels << "x" << c.bits;
        std::vector<uint8_t> frame = c.frame;
        if (c.channels == 6) frame[3] = 0x40, frame[7] = 0xc0;  // front left +0.5, front right -0.5
        AudioClip clip;
        ASSERT_EQ(DecodeWavSamples(format, frame.data(), frame.size(), clip), "");
        ASSERT_EQ(clip.Frames(), 1u);
        EXPECT_FLOAT_EQ(clip.left[0], c.channels == 6 ? 0.5f : c.left) << c.channels << "x" << c.bits;
        EXPECT_FLOAT_EQ(clip.right[0], c.channels == 6 ? -0.5f : c.right) << c.channels << "x" << c.bits;
    }
    WavFormat format;
    auto tooWide = MixFormat(3, 33, 48000, 32, true);
    EXPECT_EQ(ParseMixFormat(tooWide.data(), tooWide.size(), format), "unsupported channel count 33");
    auto file = MixFormat(1, 2, 44100, 32, false);
    EXPECT_EQ(ParseWavFormat(file.data(), file.size(), format), "unsupported sample size 32 bits")
        << "files keep their own limits";
}

TEST(CaptureWindow, ToneReadsBackAndSilenceDrainsToZero) {
    const int rate = 48000, packet = 480;  // 10 ms packets, as devices deliver them
    CaptureWindow window;
    window.Reset(rate, 100.0);
    std::vector<float> left(kFftSize), right(kFftSize);
    uint8_t bins[kSpectrumBins];
    SpectrumAnalyser* analyser = SpectrumAnalyserCreate();
    double now = 100.0;
    for (int i = 0; i < 20; ++i, now += 0.01) window.Write(TonePacket(packet, i * packet, rate, 1000.0f), now);
    window.Read(now, left.data(), right.data());
    ComputeSpectrum(analyser, left.data(), bins);
    EXPECT_EQ(PeakBin(bins), int(std::lround(1000.0 * kFftSize / rate)));
    EXPECT_GT(bins[PeakBin(bins)], 200);
    // Packets a little late still read whole; after the slack and a window's length, nothing is left.
    window.Read(now + CaptureWindow::kSlackSeconds * 0.8, left.data(), right.data());
    ComputeSpectrum(analyser, left.data(), bins);
    EXPECT_GT(bins[PeakBin(bins)], 200);
    window.Read(now + CaptureWindow::kSlackSeconds + double(kFftSize) / rate, left.data(), right.data());
    for (int i = 0; i < kFftSize; ++i) ASSERT_EQ(left[i], 0.0f) << i;
    // After a long silence a packet plays at once, with silence (not old samples) before it.
    now += 5.0;
    window.Write(TonePacket(packet, 0, rate, 1000.0f), now);
    window.Read(now, left.data(), right.data());
    EXPECT_NE(left[kFftSize - 1], 0.0f);
    EXPECT_EQ(left[kFftSize - packet - 1], 0.0f);
    SpectrumAnalyserDestroy(analyser);
}
