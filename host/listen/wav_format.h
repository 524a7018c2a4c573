// WAV sample formats the host plays and captures: the format chunk's (or a device's mix format's)
// validation and the conversion of sample data to floats. Free of platform calls, so it is fuzzed
// and unit-tested natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct WavFormat {
    int formatTag = 0;       // 1 PCM, 3 IEEE float (WAVE_FORMAT_EXTENSIBLE is resolved to these)
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;
};

// Stereo float samples in -1..1; a mono file has the same samples in both channels.
struct AudioClip {
    int sampleRate = 0;
    std::vector<float> left;
    std::vector<float> right;
    size_t Frames() const { return left.size(); }
};

// Reads a "fmt " chunk body. Returns "" on success, else the fault in a few words.
std::string ParseWavFormat(const uint8_t* chunk, size_t size, WavFormat& format);
// Reads a capture device's mix format: the bytes of a WAVEFORMATEX (WAVE_FORMAT_EXTENSIBLE too),
// which are laid out as a "fmt " chunk. Beyond what files may hold, it takes any channel count up to
// 32 (the first two are kept as left and right) and PCM in 32 bits.
std::string ParseMixFormat(const uint8_t* format, size_t size, WavFormat& parsed);
// Converts a "data" chunk body (or a captured packet); a trailing partial frame is ignored. Returns "" or the fault.
std::string DecodeWavSamples(const WavFormat& format, const uint8_t* data, size_t size, AudioClip& clip);
