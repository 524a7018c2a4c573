// The player as the host runs it. Frames (visualisation thread) and queries and keys (main thread)
// reach the one player through this file, under one lock.
#include "host/playback/audio_feed.h"
#include <cstdio>
#include <mutex>
#include "host/base/json_log.h"
#include "host/listen/capture_source.h"
#include "host/listen/listen_settings.h"
#include "host/playback/playlist.h"

namespace {
Player* player = nullptr;
// NOTE: recursive: stopping or starting the output (waveOutReset under Wine's pulse driver) waits in
// a SendMessage, which delivers the plug-in's queries to this same main thread meanwhile.
std::recursive_mutex playerLock;
bool spectrumOverride = false;
bool listening = false;
std::string listenTitle;  // a copy the caller may read after the lock
std::string listenSettingsPath;
const double kSeekSeconds = 5.0;

int PeakBin(const unsigned char* bins) {
    int best = 0;
    for (int k = 1; k < 576; ++k)
        if (bins[k] > bins[best]) best = k;
    return best;
}
}  // namespace

void AudioFeedStart(const HostOptions& options) {
    spectrumOverride = options.spectrumGiven;
    if (options.listen) {
        listening = true;
        listenSettingsPath = options.listenSettingsPath;
        ListenSettings kept;
        if (!listenSettingsPath.empty()) kept = ListenSettingsLoad(listenSettingsPath);
        CaptureRequest request;
        request.source = options.listenInput ? ListenSource::Input : ListenSource::Output;
        request.device = options.device.empty() ? kept.device : options.device;
        request.gain = kept.gain;
        // What the app shows the user, the bench logs (on the capture thread; the log takes any thread).
        request.microphoneShown = [](const std::string& text) {
            JsonLine("listen_microphone").Str("text", text.c_str()).Write();
        };
        CaptureStart(request);
        return;
    }
    if (options.spectrumGiven && options.audioPaths.empty()) return;
    std::lock_guard<std::recursive_mutex> hold(playerLock);
    player = new Player();
    player->Open(options.audioPaths, options.titleGiven ? options.title : std::string());
}

void AudioFeedStop() {
    if (listening) CaptureStop();
    listening = false;
    std::lock_guard<std::recursive_mutex> hold(playerLock);
    delete player;
    player = nullptr;
}

bool AudioFeedActive() { return listening || player != nullptr; }

void AudioFeedFill(int frame, unsigned char spectrum[2][576], unsigned char waveform[2][576]) {
    std::lock_guard<std::recursive_mutex> hold(playerLock);
    if (!player && !listening) return;
    if (player) player->Update();
    if (spectrumOverride) return;
    if (listening) CaptureFill(spectrum, waveform);
    else player->Fill(spectrum, waveform);
    const int peakLeft = PeakBin(spectrum[0]);
    JsonLine("spectrum").Int("frame", frame).Num("position", listening ? CaptureSeconds() : player->PositionSeconds())
        .Int("peak_bin_left", peakLeft).Int("peak_bin_right", PeakBin(spectrum[1]))
        .Int("bin2", spectrum[0][2]).Int("peak_left", spectrum[0][peakLeft]).Write();
}

bool AudioFeedPlaying() {
    std::lock_guard<std::recursive_mutex> hold(playerLock);
    return listening || (player && player->Playing());
}

int AudioFeedIndex() {
    std::lock_guard<std::recursive_mutex> hold(playerLock);
    return player ? player->Index() : 0;
}

const char* AudioFeedTitle(long long index) {
    std::lock_guard<std::recursive_mutex> hold(playerLock);
    if (listening) {
        listenTitle = CaptureTitle();
        return listenTitle.c_str();
    }
    return player ? player->TitleAt(index) : "";
}

void AudioFeedKey(WPARAM key) {
    std::lock_guard<std::recursive_mutex> hold(playerLock);
    double gain = 1.0;
    if (listening && CaptureGainKey(unsigned(key), gain)) {
        JsonLine("listen_gain").Num("gain", gain).Int("key", (long long)key).Write();
        if (!listenSettingsPath.empty()) {
            ListenSettings kept = ListenSettingsLoad(listenSettingsPath);
            kept.gain = gain;
            if (!ListenSettingsSave(listenSettingsPath, kept))
                std::fprintf(stderr, "smearscope-host: cannot write %s\n", listenSettingsPath.c_str());
        }
        return;
    }
    if (!player || player->Empty()) return;
    if (key == VK_SPACE) {
        // Logged first: the queries answered while the output stops or starts already see the new state.
        // The position is the same on both sides of the toggle.
        JsonLine("pause").Bool("paused", !player->Paused()).Num("position", player->PositionSeconds()).Write();
        player->TogglePause();
    } else if (key == VK_LEFT || key == VK_RIGHT) {
        const double seconds = key == VK_LEFT ? -kSeekSeconds : kSeekSeconds;
        player->Seek(seconds);
        JsonLine("seek").Num("seconds", seconds).Num("position", player->PositionSeconds()).Write();
    }
}
