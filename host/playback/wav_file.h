// Reading a WAV file from disk in blocks as it plays: the RIFF chunk walk and positioned reads with
// 64-bit offsets; the format checks and conversion are wav_format.cpp's.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "host/listen/wav_format.h"

// One open WAV file: its format and where its samples lie. Only the block last read is held, so
// memory does not grow with the file.
class WavFile {
public:
    WavFile() = default;
    WavFile(const WavFile&) = delete;
    WavFile& operator=(const WavFile&) = delete;
    ~WavFile();
    // Opens path and finds its format and data. Returns "" on success, else the fault in a few words.
    std::string Open(const std::string& path);
    int SampleRate() const { return format.sampleRate; }
    uint64_t Frames() const { return frames; }
    // Decodes up to count frames from frame first into clip (fewer at the end or where the file
    // can no longer be read; none past the end).
    void Read(uint64_t first, size_t count, AudioClip& clip);

private:
    void* handle = nullptr;  // HANDLE
    WavFormat format;
    uint64_t dataOffset = 0;
    uint64_t frames = 0;
    std::vector<uint8_t> bytes;  // the last block read, reused
};
