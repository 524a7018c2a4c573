// Reading a WAV file from disk in blocks as it plays. The RIFF chunk walk is our own: the platform's
// multimedia file functions (mmio) take signed 32-bit offsets and stop at 2 GiB, while a WAV file's
// data may run to 4 GiB; plain reads at 64-bit offsets reach all of it.
#include "host/playback/wav_file.h"
#include <windows.h>
#include <algorithm>

namespace {
// A format chunk is 16 to 40 bytes; more is not a WAV file we play.
const uint32_t kMaxFormatBytes = 4096;

uint32_t Read32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Reads up to size bytes at offset; returns how many came.
size_t ReadAt(HANDLE file, uint64_t offset, uint8_t* out, size_t size) {
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(offset);
    DWORD got = 0;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !ReadFile(file, out, DWORD(size), &got, nullptr)) return 0;
    return got;
}
}  // namespace

WavFile::~WavFile() {
    if (handle) CloseHandle(handle);
}

std::string WavFile::Open(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "cannot open file";
    handle = file;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    const uint64_t fileSize = uint64_t(size.QuadPart);
    uint8_t header[12];
    if (ReadAt(file, 0, header, 12) != 12 || Read32(header) != Read32((const uint8_t*)"RIFF") ||
        Read32(header + 8) != Read32((const uint8_t*)"WAVE"))
        return "not a RIFF WAVE file";
    // Every chunk from the start of the RIFF body: "data" usually follows "fmt ", not always. A size
    // claimed past the file's end holds what the file holds: a truncated file plays what it has.
    std::vector<uint8_t> formatBytes;
    bool formatFound = false, dataFound = false;
    uint64_t dataBytes = 0;
    for (uint64_t at = 12; at + 8 <= fileSize && !(formatFound && dataFound);) {
        uint8_t chunk[8];
        if (ReadAt(file, at, chunk, 8) != 8) break;
        const uint32_t id = Read32(chunk), claimed = Read32(chunk + 4);
        const uint64_t body = at + 8, held = std::min<uint64_t>(claimed, fileSize - body);
        if (id == Read32((const uint8_t*)"fmt ") && !formatFound) {
            if (claimed > kMaxFormatBytes) return "'fmt ' chunk too large";
            formatBytes.resize(size_t(held));
            formatBytes.resize(ReadAt(file, body, formatBytes.data(), formatBytes.size()));
            formatFound = true;
        } else if (id == Read32((const uint8_t*)"data") && !dataFound) {
            dataOffset = body;
            dataBytes = held;
            dataFound = true;
        }
        at = body + claimed + (claimed & 1);  // chunks start on even offsets
    }
    if (!formatFound) return "no 'fmt ' chunk";
    std::string fault = ParseWavFormat(formatBytes.data(), formatBytes.size(), format);
    if (!fault.empty()) return fault;
    if (!dataFound) return "no 'data' chunk";
    frames = dataBytes / uint64_t(format.blockAlign);
    return frames == 0 ? "no samples" : "";
}

void WavFile::Read(uint64_t first, size_t count, AudioClip& clip) {
    clip.left.clear();
    clip.right.clear();
    clip.sampleRate = format.sampleRate;
    if (first >= frames) return;
    if (count > frames - first) count = size_t(frames - first);
    bytes.resize(count * size_t(format.blockAlign));
    const size_t got = ReadAt(handle, dataOffset + first * uint64_t(format.blockAlign), bytes.data(), bytes.size());
    if (got) DecodeWavSamples(format, bytes.data(), got, clip);
}
