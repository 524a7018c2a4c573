// Listening without a device: a capture device's mix format read and converted (PCM 16 mono at
// 48 kHz, extensible float, surround), the capture window that falls silent when packets stop, and
// what a person sets: the device by number or name, the gain keys, the settings file's values.
#include <gtest/gtest.h>
#include <cmath>
#include <algorithm>
#include <cstring>
#include "host/listen/capture_window.h"
#include "host/listen/device_match.h"
#include "host/listen/listen_gain.h"
#include "host/listen/listen_settings.h"
#include "host/listen/spectrum.h"
#include "host/listen/wav_format.h"

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

// As Wine's pulse driver lists them, in its own order: a virtual default ("PulseAudio", the
// server's default) in each direction beside the sinks and their monitors.
std::vector<AudioDevice> WineDevices() {
    std::vector<AudioDevice> devices = {
        {0, "{0.0.1.0}.{25DA}", "PulseAudio", false, true}, {0, "{0.0.0.0}.{64CE}", "Second", true, false},
        {0, "{0.0.1.0}.{0EEF}", "Monitor of Null Output", false, false}, {0, "{0.0.0.0}.{FD47}", "PulseAudio", true, true},
        {0, "{0.0.1.0}.{4E2A}", "Monitor of Second", false, false}, {0, "{0.0.0.0}.{CD55}", "Null Output", true, false}};
    NumberDevices(devices);
    return devices;
}

TEST(DeviceMatch, NumbersAreStableAndNamesPickOneDevice) {
    std::vector<AudioDevice> devices = WineDevices(), shuffled = WineDevices();
    std::reverse(shuffled.begin(), shuffled.end());
    NumberDevices(shuffled);
    for (size_t i = 0; i < devices.size(); ++i) EXPECT_EQ(devices[i].id, shuffled[i].id) << "the platform's order";
    struct Case { const char* wanted; bool preferOutput; int number; const char* fault; };
    const Case cases[] = {
        {"2", true, 2, ""},                    // outputs first, by name: Null Output, PulseAudio, Second
        {"5", true, 5, ""},                    // then inputs: Monitor of Null Output, Monitor of Second, PulseAudio
        {"7", true, 0, "no device number 7 (--list-devices numbers them)"},
        {"{0.0.1.0}.{4e2a}", true, 5, ""},     // an id in any case
        {"Second", true, 3, ""},               // exact beats the monitor's part
        {"second", false, 5, ""},              // a part of an output's and an input's name: the preferred
        {"second", true, 3, ""},
        {"PulseAudio", false, 6, ""},          // exact in both directions: the preferred
        {"monitor", true, 0, "\"monitor\" names 2 devices (4 Monitor of Null Output, 5 Monitor of Second)"},
        {"Speakers", true, 0, "no device is called \"Speakers\""},
    };
    for (const Case& c : cases) {
        size_t found = devices.size();
        EXPECT_EQ(MatchDevice(devices, c.wanted, c.preferOutput, found), c.fault) << c.wanted;
        EXPECT_EQ(found < devices.size() ? devices[found].number : 0, c.number) << c.wanted;
    }
    EXPECT_EQ(devices[MonitorOf(devices, devices[2])].name, "Monitor of Second");
    EXPECT_EQ(MonitorOf(devices, devices[1]), devices.size()) << "the virtual default has no monitor of its own";
    const std::string list = DeviceListText(devices);
    EXPECT_NE(list.find("    2  PulseAudio              [default]  {0.0.0.0}.{FD47}\n"), std::string::npos) << list;
    EXPECT_NE(list.find("Input devices (recorded):\n    4  Monitor of Null Output             {0.0.1.0}.{0EEF}\n"),
              std::string::npos) << list;
    EXPECT_EQ(DeviceListText({}), "Output devices (listened to through loopback):\n  (none)\nInput devices (recorded):\n  (none)\n");
}

TEST(ListenGain, KeysStepOnTheGridAndStopAtItsEnds) {
    struct Case { unsigned key; double from; bool taken; double to; };
    const double root2 = std::sqrt(2.0);
    const Case cases[] = {
        {0xBB, 1.0, true, root2},        // the =/+ key
        {0x6B, root2, true, 2.0},        // the keypad's +
        {0xBD, 1.0, true, 1 / root2},    // the -/_ key
        {0x6D, 0.5, true, 1 / (2 * root2)},
        {0x30, 11.3, true, 1.0},         // 0 and the keypad's 0 reset
        {0x60, 0.125, true, 1.0},
        {0xBB, 16.0, true, 16.0},        // the ends hold
        {0xBD, 0.125, true, 0.125},
        {0xBB, 1.3, true, 2.0},          // off the grid: from its nearest step
        {'F', 1.0, false, 0.0},          // the plug-in's flash, and the host's own keys
        {0x20, 1.0, false, 0.0},
        {0x25, 1.0, false, 0.0},
    };
    for (const Case& c : cases) {
        double to = 0.0;
        EXPECT_EQ(GainForKey(c.key, c.from, to), c.taken) << c.key << " from " << c.from;
        EXPECT_NEAR(to, c.to, 1e-9) << c.key << " from " << c.from;
    }
    // Eight steps up and back down come back to exactly 1.
    double gain = 1.0;
    for (int i = 0; i < 8; ++i) GainForKey(0xBB, gain, gain);
    EXPECT_EQ(gain, 16.0);
    for (int i = 0; i < 8; ++i) GainForKey(0xBD, gain, gain);
    EXPECT_EQ(gain, 1.0);
    EXPECT_EQ(GainText(2.0), "Gain 2x (+6 dB)");
    EXPECT_EQ(GainText(0.125), "Gain 0.125x (-18 dB)");
}

TEST(ListenSettings, DamagedValuesGiveTheDefaults) {
    struct Case { std::string device, gain, wantDevice; double wantGain; };
    const Case cases[] = {
        {"Monitor of Second", "2", "Monitor of Second", 2.0},
        {"3", "0.7071", "3", std::sqrt(0.5)},   // a saved step reads back as the step
        {"", "1.3", "", 1.414213562},
        {"", "", "", 1.0},                      // missing
        {"", "loud", "", 1.0},                  // garbage
        {"", "2x", "", 1.0},
        {"", "17", "", 1.0},                    // out of range
        {"", "0.1", "", 1.0},
        {"", "nan", "", 1.0},
        {"", "-4", "", 1.0},
        {"Speak\x01rs", "1", "", 1.0},          // control characters
        {std::string(300, 'x'), "1", "", 1.0},  // longer than any name
    };
    for (const Case& c : cases) {
        ListenSettings settings = ListenSettingsFromText(c.device, c.gain);
        EXPECT_EQ(settings.device, c.wantDevice) << c.device << " / " << c.gain;
        EXPECT_NEAR(settings.gain, c.wantGain, 1e-6) << c.device << " / " << c.gain;
    }
    EXPECT_EQ(ListenGainToText(std::sqrt(2.0)), "1.414");
    EXPECT_EQ(ListenSettingsFromText("", ListenGainToText(GainAtStep(-5))).gain, GainAtStep(-5)) << "round trip";
}
