// What the bench feeds the plug-in: the playlist or the capture. Frames (visualisation thread) and
// queries and keys (main thread) reach the one playlist through this file, under one lock.
#include "host/playback/audio_feed.h"
#include <cstdio>
#include <mutex>
#include "host/base/json_log.h"
#include "host/listen/capture_source.h"
#include "host/listen/listen_settings.h"
#include "host/playback/playlist.h"

namespace {
Playlist* playlist = nullptr;
// NOTE: recursive: stopping or starting the output (waveOutReset under Wine's pulse driver) waits in
// a SendMessage, which delivers the plug-in's queries to this same main thread meanwhile.
std::recursive_mutex playlistLock;
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

void AudioFeedStart(const FeedRequest& feed) {
    spectrumOverride = feed.spectrumOverride;
    if (feed.listen) {
        listening = true;
        listenSettingsPath = feed.listenSettingsPath;
        ListenSettings kept;
        if (!listenSettingsPath.empty()) kept = ListenSettingsLoad(listenSettingsPath);
        CaptureRequest request;
        request.source = feed.listenInput ? ListenSource::Input : ListenSource::Output;
        request.device = feed.device.empty() ? kept.device : feed.device;
        request.gain = kept.gain;
        request.clock = feed.clock;
        // What the app shows the user, the bench logs (on the capture thread; the log takes any thread).
        request.microphoneShown = [](const std::string& text) {
            JsonLine("listen_microphone").Str("text", text.c_str()).Write();
        };
        request.said = [](const std::string& text) { std::fprintf(stderr, "smearscope-host: %s\n", text.c_str()); };
        // Without its events or thread the run goes on silent, as with no device at all.
        const std::string fault = CaptureStart(request);
        if (!fault.empty()) {
            std::fprintf(stderr, "smearscope-host: cannot listen (%s); drawing silence\n", fault.c_str());
            JsonLine("listen_lost").Str("fault", fault.c_str()).Bool("at_start", true).Write();
        }
        return;
    }
    if (feed.spectrumOverride && feed.audioPaths.empty()) return;
    std::lock_guard<std::recursive_mutex> hold(playlistLock);
    playlist = new Playlist(feed.clock);
    playlist->Open(feed.audioPaths, feed.title);
}

void AudioFeedStop() {
    if (listening) CaptureStop();
    listening = false;
    std::lock_guard<std::recursive_mutex> hold(playlistLock);
    delete playlist;
    playlist = nullptr;
}

bool AudioFeedActive() { return listening || playlist != nullptr; }

void AudioFeedFill(int frame, unsigned char spectrum[2][576], unsigned char waveform[2][576]) {
    std::lock_guard<std::recursive_mutex> hold(playlistLock);
    if (!playlist && !listening) return;
    if (playlist) playlist->Update();
    if (spectrumOverride) return;
    if (listening) CaptureFill(spectrum, waveform);
    else playlist->Fill(spectrum, waveform);
    const int peakLeft = PeakBin(spectrum[0]);
    JsonLine("spectrum").Int("frame", frame).Num("position", listening ? CaptureSeconds() : playlist->PositionSeconds())
        .Int("peak_bin_left", peakLeft).Int("peak_bin_right", PeakBin(spectrum[1]))
        .Int("bin2", spectrum[0][2]).Int("peak_left", spectrum[0][peakLeft]).Write();
}

bool AudioFeedPlaying() {
    std::lock_guard<std::recursive_mutex> hold(playlistLock);
    return listening || (playlist && playlist->Playing());
}

int AudioFeedIndex() {
    std::lock_guard<std::recursive_mutex> hold(playlistLock);
    return playlist ? playlist->Index() : 0;
}

const char* AudioFeedTitle(long long index) {
    std::lock_guard<std::recursive_mutex> hold(playlistLock);
    if (listening) {
        listenTitle = CaptureTitle();
        return listenTitle.c_str();
    }
    return playlist ? playlist->TitleAt(index) : "";
}

void AudioFeedKey(WPARAM key) {
    std::lock_guard<std::recursive_mutex> hold(playlistLock);
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
    if (!playlist || playlist->Empty()) return;
    if (key == VK_SPACE) {
        // Logged first: the queries answered while the output stops or starts already see the new state.
        // The position is the same on both sides of the toggle.
        JsonLine("pause").Bool("paused", !playlist->Paused()).Num("position", playlist->PositionSeconds()).Write();
        playlist->TogglePause();
    } else if (key == VK_LEFT || key == VK_RIGHT) {
        const double seconds = key == VK_LEFT ? -kSeekSeconds : kSeekSeconds;
        playlist->Seek(seconds);
        JsonLine("seek").Num("seconds", seconds).Num("position", playlist->PositionSeconds()).Write();
    }
}
