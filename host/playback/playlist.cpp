// The bench's playlist: WAV files (or the built-in demo track) timed by the clock it is given, so
// that the picture follows the file position with or without an audio device.
#include "host/playback/playlist.h"
#include <windows.h>
#include <mmsystem.h>
#include <algorithm>
#include <cstdio>
#include "host/playback/demo_track.h"
#include "host/base/json_log.h"
#include "host/listen/spectrum.h"

namespace {
const double kAudioBlockSeconds = 0.5;

std::string TitleFromPath(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}
}  // namespace

void PlaylistEntry::Read(uint64_t first, size_t count, AudioClip& out) {
    if (file) {
        file->Read(first, count, out);
        return;
    }
    out.sampleRate = clip.sampleRate;
    const size_t from = size_t(std::min<uint64_t>(first, clip.Frames()));
    const size_t to = from + std::min(count, clip.Frames() - from);
    out.left.assign(clip.left.begin() + from, clip.left.begin() + to);
    out.right.assign(clip.right.begin() + from, clip.right.begin() + to);
}

Playlist::Playlist(ClockSeconds clock) : clock(clock), analyser(SpectrumAnalyserCreate()), window(kFftSize) {}

Playlist::~Playlist() {
    StopAudio();
    SpectrumAnalyserDestroy(analyser);
}

double Playlist::Now() const { return clock(); }

void Playlist::Open(const std::vector<std::string>& paths, const std::string& titleOverride) {
    for (const std::string& path : paths) {
        PlaylistEntry entry;
        entry.file.reset(new WavFile());
        std::string fault = entry.file->Open(path);
        if (!fault.empty()) {
            std::fprintf(stderr, "smearscope-host: %s: %s\n", path.c_str(), fault.c_str());
            JsonLine("audio_error").Str("path", path.c_str()).Str("fault", fault.c_str()).Write();
            continue;
        }
        entry.title = titleOverride.empty() ? TitleFromPath(path) : titleOverride;
        entries.push_back(std::move(entry));
    }
    if (paths.empty()) {
        PlaylistEntry demo;
        demo.clip = SynthesiseDemoTrack();
        demo.title = titleOverride.empty() ? "Smearscope demo" : titleOverride;
        entries.push_back(std::move(demo));
        loop = true;
    }
}

void Playlist::Start() {
    if (started || entries.empty()) return;
    started = true;
    StartEntry(0, 0.0);
}

double Playlist::PositionSeconds() const {
    if (Empty() || !started) return 0.0;
    return (paused ? pausedAt : Now()) - entryStart;
}

void Playlist::StartEntry(int entry, double offsetSeconds) {
    index = entry;
    finished = false;
    entryStart = Now() - offsetSeconds;
    pausedAt = Now();
    JsonLine("track").Int("index", index).Str("title", entries[index].title.c_str()).Write();
    if (!paused) StartAudio(offsetSeconds);
}

void Playlist::Update() {
    Start();
    if (!Playing()) return;
    if (waveOut) {
        WAVEHDR* headers = static_cast<WAVEHDR*>(waveHeaders);
        for (int i = 0; i < kAudioBlocks; ++i)
            if (headers[i].dwFlags & WHDR_DONE) QueueAudioBlock(i);
    }
    const PlaylistEntry& entry = entries[index];
    const double length = double(entry.Frames()) / entry.SampleRate();
    if (PositionSeconds() < length) return;
    if (index + 1 < int(entries.size())) StartEntry(index + 1, 0.0);
    else if (loop) StartEntry(0, 0.0);
    else {
        finished = true;
        StopAudio();
    }
}

void Playlist::TogglePause() {
    if (Empty() || !started) return;
    if (!paused) {
        pausedAt = Now();
        paused = true;
        StopAudio();
    } else {
        entryStart += Now() - pausedAt;
        paused = false;
        if (!finished) StartAudio(PositionSeconds());
    }
}

void Playlist::Seek(double seconds) {
    if (Empty() || !started) return;
    const PlaylistEntry& entry = entries[index];
    const double length = double(entry.Frames()) / entry.SampleRate();
    double target = std::min(std::max(PositionSeconds() + seconds, 0.0), length);
    const double now = paused ? pausedAt : Now();
    entryStart = now - target;
    finished = false;
    if (!paused) StartAudio(target);
}

void Playlist::Fill(uint8_t spectrum[2][576], uint8_t waveform[2][576]) {
    if (Empty()) return;
    PlaylistEntry& entry = entries[index];
    const long long position = (long long)(PositionSeconds() * entry.SampleRate());
    // The FFT window ends at the play position and the waveform starts there: one read holds both.
    const long long first = std::max(position - kFftSize, 0LL), end = position + kSpectrumBins;
    entry.Read(uint64_t(first), size_t(std::max(end - first, 0LL)), block);
    const std::vector<float>* channels[2] = {&block.left, &block.right};
    for (int c = 0; c < 2; ++c) {
        const std::vector<float>& samples = *channels[c];
        auto at = [&](long long frame) {
            return frame >= first && frame - first < (long long)samples.size() ? samples[size_t(frame - first)] : 0.0f;
        };
        for (int i = 0; i < kFftSize; ++i) window[i] = at(position - kFftSize + i);
        ComputeSpectrum(analyser, window.data(), spectrum[c]);
        for (int i = 0; i < kSpectrumBins; ++i) window[i] = at(position + i);
        ComputeWaveform(window.data(), waveform[c]);
    }
}

// Plays the current entry from offsetSeconds on the default output, when there is one.
void Playlist::StartAudio(double offsetSeconds) {
    StopAudio();
    if (noOutput) return;
    const PlaylistEntry& entry = entries[index];
    const uint64_t first = uint64_t(std::max(0.0, offsetSeconds) * entry.SampleRate());
    if (first >= entry.Frames()) return;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = entry.SampleRate();
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = entry.SampleRate() * 4;
    HWAVEOUT device = nullptr;
    // NOTE: with no output device (a server, or Wine without a sound driver) this fails and the
    // clock alone keeps time. Asking again on every seek would only repeat the failure (and Wine's
    // sound driver its complaints on stderr).
    if (waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        noOutput = true;
        return;
    }
    waveOut = device;
    waveHeaders = new WAVEHDR[kAudioBlocks]();
    audioNext = first;
    for (int i = 0; i < kAudioBlocks; ++i) QueueAudioBlock(i);
}

// Fills output block i with the next samples and queues it; past the end it stays out of the queue.
void Playlist::QueueAudioBlock(int i) {
    HWAVEOUT device = static_cast<HWAVEOUT>(waveOut);
    WAVEHDR& header = static_cast<WAVEHDR*>(waveHeaders)[i];
    if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
    header = WAVEHDR();
    PlaylistEntry& entry = entries[index];
    entry.Read(audioNext, size_t(kAudioBlockSeconds * entry.SampleRate()), block);
    if (block.Frames() == 0) return;
    audioNext += block.Frames();
    pcm[i].resize(block.Frames() * 2);
    for (size_t f = 0; f < block.Frames(); ++f) {
        pcm[i][f * 2] = int16_t(block.left[f] * 32767.0f);
        pcm[i][f * 2 + 1] = int16_t(block.right[f] * 32767.0f);
    }
    header.lpData = reinterpret_cast<LPSTR>(pcm[i].data());
    header.dwBufferLength = DWORD(pcm[i].size() * sizeof(int16_t));
    waveOutPrepareHeader(device, &header, sizeof(WAVEHDR));
    waveOutWrite(device, &header, sizeof(WAVEHDR));
}

void Playlist::StopAudio() {
    if (!waveOut) return;
    HWAVEOUT device = static_cast<HWAVEOUT>(waveOut);
    WAVEHDR* headers = static_cast<WAVEHDR*>(waveHeaders);
    waveOutReset(device);
    for (int i = 0; i < kAudioBlocks; ++i)
        if (headers[i].dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device, &headers[i], sizeof(WAVEHDR));
    waveOutClose(device);
    delete[] headers;
    waveOut = nullptr;
    waveHeaders = nullptr;
}
