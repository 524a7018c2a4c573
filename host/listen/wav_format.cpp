// WAV sample formats the host plays: the format chunk's validation and the conversion of sample
// data to floats (PCM 8, 16, 24 and 32 bit, 32-bit float; files mono or stereo, devices any width).
#include "host/listen/wav_format.h"
#include <cstring>

namespace {
const int kPcm = 1;
const int kFloat = 3;
const int kExtensible = 0xFFFE;
// Most frames decoded in one call: an hour at 192 kHz. A file is decoded a block at a time as it
// plays, so this bounds a block (and the demo track, a captured packet), never a file's length.
const size_t kMaxFrames = size_t(192000) * 3600;

uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Read32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

float Sample(const WavFormat& format, const uint8_t* p) {
    switch (format.formatTag == kFloat ? 0 : format.bitsPerSample) {
    case 8: return (int(p[0]) - 128) / 128.0f;
    case 16: return int16_t(Read16(p)) / 32768.0f;
    case 24: return int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) / 2147483648.0f;
    case 32: return int32_t(Read32(p)) / 2147483648.0f;
    default: {
        float value;
        std::memcpy(&value, p, sizeof(value));
        if (!(value == value)) return 0.0f;  // NaN plays as silence
        return value > 1.0f ? 1.0f : value < -1.0f ? -1.0f : value;
    }
    }
}

// maxChannels and pcm32 are where files and capture devices differ.
std::string ParseFormat(const uint8_t* chunk, size_t size, WavFormat& format, int maxChannels, bool pcm32) {
    if (size < 16) return "format chunk too short";
    format.formatTag = Read16(chunk);
    format.channels = Read16(chunk + 2);
    format.sampleRate = int(Read32(chunk + 4) & 0x7fffffff);
    format.blockAlign = Read16(chunk + 12);
    format.bitsPerSample = Read16(chunk + 14);
    if (format.formatTag == kExtensible) {
        if (size < 40) return "extensible format chunk too short";
        format.formatTag = Read16(chunk + 24);  // first two bytes of the sub-format GUID
    }
    if (format.formatTag != kPcm && format.formatTag != kFloat) return "unsupported codec " + std::to_string(format.formatTag);
    if (format.channels < 1 || format.channels > maxChannels) return "unsupported channel count " + std::to_string(format.channels);
    if (format.sampleRate < 1000 || format.sampleRate > 384000) return "unsupported sample rate " + std::to_string(format.sampleRate);
    const bool pcmBits = format.bitsPerSample == 8 || format.bitsPerSample == 16 || format.bitsPerSample == 24 ||
                         (pcm32 && format.bitsPerSample == 32);
    if ((format.formatTag == kPcm && !pcmBits) || (format.formatTag == kFloat && format.bitsPerSample != 32))
        return "unsupported sample size " + std::to_string(format.bitsPerSample) + " bits";
    if (format.blockAlign != format.channels * format.bitsPerSample / 8) return "inconsistent block size";
    return "";
}
}  // namespace

std::string ParseWavFormat(const uint8_t* chunk, size_t size, WavFormat& format) {
    return ParseFormat(chunk, size, format, 2, false);
}

std::string ParseMixFormat(const uint8_t* format, size_t size, WavFormat& parsed) {
    return ParseFormat(format, size, parsed, 32, true);
}

std::string DecodeWavSamples(const WavFormat& format, const uint8_t* data, size_t size, AudioClip& clip) {
    if (format.blockAlign <= 0) return "no format";
    const size_t frames = size / size_t(format.blockAlign);
    if (frames == 0) return "no samples";
    if (frames > kMaxFrames) return "too long";
    const size_t step = size_t(format.bitsPerSample / 8);
    clip.sampleRate = format.sampleRate;
    clip.left.resize(frames);
    clip.right.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        const uint8_t* frame = data + i * size_t(format.blockAlign);
        clip.left[i] = Sample(format, frame);
        clip.right[i] = format.channels >= 2 ? Sample(format, frame + step) : clip.left[i];
    }
    return "";
}
