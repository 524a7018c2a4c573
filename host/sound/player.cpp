// The host's player: a playlist of WAV files (or the built-in demo track) timed by the clock, so
// that the picture follows the file position with or without an audio device.
#include "host/sound/player.h"
#include <windows.h>
#include <mmsystem.h>
#include <algorithm>
#include <cstdio>
#include "host/sound/demo_track.h"
#include "host/run/host_clock.h"
#include "host/run/json_log.h"
#include "host/sound/spectrum.h"
#include "host/sound/wav_file.h"

namespace {
std::string TitleFromPath(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}
}  // namespace

Player::Player() : analyser(SpectrumAnalyserCreate()), window(kFftSize) {}

Player::~Player() {
    StopAudio();
    SpectrumAnalyserDestroy(analyser);
}

double Player::Now() const { return HostClockSeconds(); }

void Player::Open(const std::vector<std::string>& paths, const std::string& titleOverride) {
    for (const std::string& path : paths) {
        PlaylistEntry entry;
        std::string fault = LoadWavFile(path, entry.clip);
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

void Player::Start() {
    if (started || entries.empty()) return;
    started = true;
    StartEntry(0, 0.0);
}

double Player::PositionSeconds() const {
    if (Empty() || !started) return 0.0;
    return (paused ? pausedAt : Now()) - entryStart;
}

void Player::StartEntry(int entry, double offsetSeconds) {
    index = entry;
    finished = false;
    entryStart = Now() - offsetSeconds;
    pausedAt = Now();
    JsonLine("track").Int("index", index).Str("title", entries[index].title.c_str()).Write();
    if (!paused) StartAudio(offsetSeconds);
}

void Player::Update() {
    Start();
    if (!Playing()) return;
    const AudioClip& clip = entries[index].clip;
    const double length = double(clip.Frames()) / clip.sampleRate;
    if (PositionSeconds() < length) return;
    if (index + 1 < int(entries.size())) StartEntry(index + 1, 0.0);
    else if (loop) StartEntry(0, 0.0);
    else {
        finished = true;
        StopAudio();
    }
}

void Player::TogglePause() {
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

void Player::Seek(double seconds) {
    if (Empty() || !started) return;
    const AudioClip& clip = entries[index].clip;
    const double length = double(clip.Frames()) / clip.sampleRate;
    double target = std::min(std::max(PositionSeconds() + seconds, 0.0), length);
    const double now = paused ? pausedAt : Now();
    entryStart = now - target;
    finished = false;
    if (!paused) StartAudio(target);
}

void Player::Fill(uint8_t spectrum[2][576], uint8_t waveform[2][576]) {
    if (Empty()) return;
    const AudioClip& clip = entries[index].clip;
    const long long position = (long long)(PositionSeconds() * clip.sampleRate);
    const std::vector<float>* channels[2] = {&clip.left, &clip.right};
    for (int c = 0; c < 2; ++c) {
        const std::vector<float>& samples = *channels[c];
        // The FFT window ends at the play position; the waveform starts there.
        for (int i = 0; i < kFftSize; ++i) {
            long long at = position - kFftSize + i;
            window[i] = at >= 0 && at < (long long)samples.size() ? samples[size_t(at)] : 0.0f;
        }
        ComputeSpectrum(analyser, window.data(), spectrum[c]);
        for (int i = 0; i < kSpectrumBins; ++i) {
            long long at = position + i;
            window[i] = at >= 0 && at < (long long)samples.size() ? samples[size_t(at)] : 0.0f;
        }
        ComputeWaveform(window.data(), waveform[c]);
    }
}

// Plays the current entry from offsetSeconds on the default output, when there is one.
void Player::StartAudio(double offsetSeconds) {
    StopAudio();
    if (noOutput) return;
    const AudioClip& clip = entries[index].clip;
    size_t first = size_t(std::max(0.0, offsetSeconds) * clip.sampleRate);
    if (first >= clip.Frames()) return;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = clip.sampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = clip.sampleRate * 4;
    HWAVEOUT device = nullptr;
    // NOTE: with no output device (a server, or Wine without a sound driver) this fails and the
    // clock alone keeps time. Asking again on every seek would only repeat the failure (and Wine's
    // sound driver its complaints on stderr).
    if (waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        noOutput = true;
        return;
    }
    pcm.resize((clip.Frames() - first) * 2);
    for (size_t i = first; i < clip.Frames(); ++i) {
        pcm[(i - first) * 2] = int16_t(clip.left[i] * 32767.0f);
        pcm[(i - first) * 2 + 1] = int16_t(clip.right[i] * 32767.0f);
    }
    WAVEHDR* header = new WAVEHDR();
    header->lpData = reinterpret_cast<LPSTR>(pcm.data());
    header->dwBufferLength = DWORD(pcm.size() * sizeof(int16_t));
    waveOutPrepareHeader(device, header, sizeof(WAVEHDR));
    waveOutWrite(device, header, sizeof(WAVEHDR));
    waveOut = device;
    waveHeader = header;
}

void Player::StopAudio() {
    if (!waveOut) return;
    HWAVEOUT device = static_cast<HWAVEOUT>(waveOut);
    WAVEHDR* header = static_cast<WAVEHDR*>(waveHeader);
    waveOutReset(device);
    waveOutUnprepareHeader(device, header, sizeof(WAVEHDR));
    waveOutClose(device);
    delete header;
    waveOut = nullptr;
    waveHeader = nullptr;
}
