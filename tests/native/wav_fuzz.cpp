// libFuzzer target for the host's WAV decoding: the first byte picks the format chunk's length,
// the rest is split into a format chunk and sample data.
#include <cstddef>
#include <cstdint>
#include "host/listen/wav_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    size_t formatSize = data[0] % 48;
    ++data;
    --size;
    if (formatSize > size) formatSize = size;
    WavFormat format;
    if (!ParseWavFormat(data, formatSize, format).empty()) return 0;
    AudioClip clip;
    DecodeWavSamples(format, data + formatSize, size - formatSize, clip);
    for (size_t i = 0; i < clip.Frames(); ++i)
        if (!(clip.left[i] >= -1.0f && clip.left[i] <= 1.0f && clip.right[i] >= -1.0f && clip.right[i] <= 1.0f))
            __builtin_trap();  // every decoded sample lies in -1..1
    return 0;
}
