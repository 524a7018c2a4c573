// Reading a WAV file from disk with the platform's multimedia file functions (mmio): the RIFF
// chunk walk is the platform's, the format checks and conversion are wav_format.cpp's.
#include "host/sound/wav_file.h"
#include <windows.h>
#include <mmsystem.h>
#include <vector>

namespace {
// A file claims its data size; never trust more than a sane limit or more than the file holds.
const DWORD kMaxDataBytes = 1u << 30;

struct MmioFile {
    HMMIO handle;
    explicit MmioFile(const std::string& path)
        : handle(mmioOpenA(const_cast<char*>(path.c_str()), nullptr, MMIO_READ | MMIO_ALLOCBUF)) {}
    ~MmioFile() { if (handle) mmioClose(handle, 0); }
};

std::string ReadChunk(HMMIO file, MMCKINFO& parent, const char* id, std::vector<uint8_t>& out, DWORD limit,
                      LONG fileSize) {
    MMCKINFO chunk = {};
    chunk.ckid = mmioStringToFOURCCA(id, 0);
    if (mmioDescend(file, &chunk, &parent, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
        return std::string("no '") + id + "' chunk";
    if (chunk.cksize > limit) return std::string("'") + id + "' chunk too large";
    // A header may claim far more than the file holds: allocate only what is there.
    const LONG left = fileSize - LONG(chunk.dwDataOffset);
    const DWORD size = left <= 0 ? 0 : DWORD(left) < chunk.cksize ? DWORD(left) : chunk.cksize;
    out.resize(size);
    LONG got = size ? mmioRead(file, reinterpret_cast<HPSTR>(out.data()), LONG(size)) : 0;
    if (got < 0) return std::string("cannot read '") + id + "' chunk";
    out.resize(size_t(got));  // a truncated file plays what it holds
    mmioAscend(file, &chunk, 0);
    return "";
}
}  // namespace

std::string LoadWavFile(const std::string& path, AudioClip& clip) {
    MmioFile file(path);
    if (!file.handle) return "cannot open file";
    const LONG fileSize = mmioSeek(file.handle, 0, SEEK_END);
    mmioSeek(file.handle, 0, SEEK_SET);
    MMCKINFO riff = {};
    riff.fccType = mmioStringToFOURCCA("WAVE", 0);
    if (mmioDescend(file.handle, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR)
        return "not a RIFF WAVE file";
    std::vector<uint8_t> formatBytes, dataBytes;
    std::string fault = ReadChunk(file.handle, riff, "fmt ", formatBytes, 4096, fileSize);
    if (!fault.empty()) return fault;
    WavFormat format;
    fault = ParseWavFormat(formatBytes.data(), formatBytes.size(), format);
    if (!fault.empty()) return fault;
    // NOTE: the data chunk usually follows fmt; search from the start of the RIFF body for it.
    mmioSeek(file.handle, riff.dwDataOffset + 4, SEEK_SET);
    fault = ReadChunk(file.handle, riff, "data", dataBytes, kMaxDataBytes, fileSize);
    if (!fault.empty()) return fault;
    return DecodeWavSamples(format, dataBytes.data(), dataBytes.size(), clip);
}
