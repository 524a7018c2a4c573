// The host's audio pieces: WAV format checks and sample conversion, the spectrum of known signals,
// and the demo track's beat.
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include "host/playback/demo_track.h"
#include "host/listen/spectrum.h"
#include "host/listen/wav_format.h"

namespace {
std::vector<uint8_t> FormatChunk(int tag, int channels, int rate, int bits) {
    std::vector<uint8_t> c(16);
    auto put16 = [&](int at, int v) { c[at] = uint8_t(v); c[at + 1] = uint8_t(v >> 8); };
    auto put32 = [&](int at, int v) { put16(at, v & 0xffff); put16(at + 2, (v >> 16) & 0xffff); };
    put16(0, tag);
    put16(2, channels);
    put32(4, rate);
    put32(8, rate * channels * bits / 8);
    put16(12, channels * bits / 8);
    put16(14, bits);
    return c;
}

std::vector<float> Tone(float hz, float amplitude, int rate = 44100) {
    std::vector<float> s(kFftSize);
    for (int i = 0; i < kFftSize; ++i) s[i] = amplitude * std::sin(2.0f * 3.14159265f * hz * i / rate);
    return s;
}

int PeakBin(const uint8_t* bins) {
    int best = 0;
    for (int k = 1; k < kSpectrumBins; ++k)
        if (bins[k] > bins[best]) best = k;
    return best;
}
}  // namespace

TEST(WavFormat, AcceptsEachSupportedFormatAndConvertsFullScale) {
    struct Case { int tag, bits; std::vector<uint8_t> maxSample; };
    const Case cases[] = {
        {1, 8, {255}}, {1, 16, {0xff, 0x7f}}, {1, 24, {0xff, 0xff, 0x7f}}, {3, 32, {0, 0, 0x80, 0x3f}},
    };
    for (const Case& c : cases) {
        WavFormat format;
        auto chunk = FormatChunk(c.tag, 1, 22050, c.bits);
        ASSERT_EQ(ParseWavFormat(chunk.data(), chunk.size(), format), "") << c.bits;
        AudioClip clip;
        ASSERT_EQ(DecodeWavSamples(format, c.maxSample.data(), c.maxSample.size(), clip), "");
        ASSERT_EQ(clip.Frames(), 1u);
        EXPECT_NEAR(clip.left[0], 1.0f, 0.01f) << c.bits << " bits";
        EXPECT_EQ(clip.left[0], clip.right[0]) << "mono plays on both channels";
    }
}

TEST(WavFormat, StereoChannelsStayApart) {
    WavFormat format;
    auto chunk = FormatChunk(1, 2, 44100, 16);
    ASSERT_EQ(ParseWavFormat(chunk.data(), chunk.size(), format), "");
    const uint8_t data[] = {0x00, 0x40, 0x00, 0xc0, 0x01};  // +0.5, -0.5, and a stray byte
    AudioClip clip;
    ASSERT_EQ(DecodeWavSamples(format, data, sizeof(data), clip), "");
    ASSERT_EQ(clip.Frames(), 1u);
    EXPECT_FLOAT_EQ(clip.left[0], 0.5f);
    EXPECT_FLOAT_EQ(clip.right[0], -0.5f);
}

TEST(WavFormat, RejectsWhatItCannotPlayWithAReason) {
    WavFormat format;
    const struct { std::vector<uint8_t> chunk; const char* fault; } cases[] = {
        {FormatChunk(2, 2, 44100, 4), "unsupported codec 2"},
        {FormatChunk(1, 6, 44100, 16), "unsupported channel count 6"},
        {FormatChunk(1, 2, 0, 16), "unsupported sample rate 0"},
        {FormatChunk(1, 2, 44100, 12), "unsupported sample size 12 bits"},
        {FormatChunk(3, 2, 44100, 16), "unsupported sample size 16 bits"},
        {std::vector<uint8_t>(10), "format chunk too short"},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseWavFormat(c.chunk.data(), c.chunk.size(), format), c.fault);
    auto chunk = FormatChunk(1, 2, 44100, 16);
    ASSERT_EQ(ParseWavFormat(chunk.data(), chunk.size(), format), "");
    AudioClip clip;
    const uint8_t data[3] = {};
    EXPECT_EQ(DecodeWavSamples(format, data, sizeof(data), clip), "no samples");
}

TEST(Spectrum, PureTonePeaksInItsBinAndSilenceIsZero) {
    SpectrumAnalyser* analyser = SpectrumAnalyserCreate();
    uint8_t bins[kSpectrumBins];
    for (float hz : {440.0f, 1000.0f, 5000.0f}) {
        auto tone = Tone(hz, 0.5f);
        ComputeSpectrum(analyser, tone.data(), bins);
        EXPECT_EQ(PeakBin(bins), int(std::lround(hz * kFftSize / 44100.0f))) << hz << " Hz";
        EXPECT_GT(bins[PeakBin(bins)], 200);
    }
    std::vector<float> silence(kFftSize, 0.0f);
    ComputeSpectrum(analyser, silence.data(), bins);
    for (int k = 0; k < kSpectrumBins; ++k) ASSERT_EQ(bins[k], 0) << "bin " << k;
    SpectrumAnalyserDestroy(analyser);
}

TEST(Spectrum, DemoKickRaisesBinTwo) {
    AudioClip demo = SynthesiseDemoTrack();
    ASSERT_EQ(demo.sampleRate, 44100);
    SpectrumAnalyser* analyser = SpectrumAnalyserCreate();
    uint8_t onBeat[kSpectrumBins], between[kSpectrumBins];
    // Windows ending 60 ms after a beat, and just before the next one.
    ComputeSpectrum(analyser, &demo.left[size_t(44100 * 4.06) - kFftSize], onBeat);
    ComputeSpectrum(analyser, &demo.left[size_t(44100 * 4.49) - kFftSize], between);
    EXPECT_GT(onBeat[2], between[2] + 20) << int(onBeat[2]) << " vs " << int(between[2]);
    SpectrumAnalyserDestroy(analyser);
}

TEST(Waveform, ScalesToSignedBytes) {
    std::vector<float> s(kSpectrumBins, 0.0f);
    s[0] = 1.0f;
    s[1] = -1.0f;
    s[2] = 0.5f;
    uint8_t out[kSpectrumBins];
    ComputeWaveform(s.data(), out);
    EXPECT_EQ(int8_t(out[0]), 127);
    EXPECT_EQ(int8_t(out[1]), -127);
    EXPECT_EQ(int8_t(out[2]), 64);
    EXPECT_EQ(out[3], 0);
}
