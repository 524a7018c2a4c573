// The app's listening: the one place it reaches the host's capture of what the PC plays, for
// the frames' blocks, the title the plug-in asks for, the gain, the device it listens to (switched
// on a thread of the app's own) and the choices it remembers.
#include "host/app/app_listen.h"
#include <atomic>
#include <cstring>
#include <mutex>
#include "host/app/app_messages.h"
#include "host/app/app_paths.h"
#include "host/base/json_log.h"
#include "host/listen/audio_devices.h"
#include "host/listen/capture_source.h"
#include "host/listen/listen_gain.h"
#include "host/listen/listen_settings.h"
#include "host/listen/spectrum.h"

namespace {

std::atomic<HWND> statusWindow{nullptr};
std::mutex noticeLock;
std::string microphoneNotice;  // under noticeLock: set on the capture thread, read on the main one
std::string settingsPath;
ListenSettings kept;           // main thread, but for the switching thread's start
bool logSpectrum = false;

// The switching thread: the capture's stop may wait without bound and its start up to 10 s, and the
// main thread answers the plug-in's queries meanwhile. Only the newest request counts.
struct Switcher {
    HANDLE thread = nullptr;
    HANDLE wake = nullptr;     // auto-reset: a request, or the end
    std::mutex lock;
    bool asked = false, ending = false;
    std::string device;        // under lock
};
Switcher switcher;

// While the capture is stopped and started again, frames draw silence: its analyser is gone.
std::mutex fillLock;
bool switching = false;  // under fillLock

// On the capture thread, once a run: said by the main thread (a notification from the icon, else a
// box) and, for as long as it holds, in the title.
void MicrophoneShown(const std::string& text) {
    {
        std::lock_guard<std::mutex> hold(noticeLock);
        microphoneNotice = text;
    }
    JsonLine("listen_microphone").Str("text", text.c_str()).Write();
    if (HWND window = statusWindow.load()) {
        PostMessageA(window, kAppMicrophoneNotice, 0, 0);
        PostMessageA(window, kAppListenStatusChanged, 0, 0);
    }
}

void StartCapture(const std::string& device, double gain) {
    CaptureRequest request;
    request.source = ListenSource::Output;
    request.device = device;
    request.gain = gain;
    request.microphoneShown = MicrophoneShown;
    // The app has no console to say the rest on: its log has them. Without the capture's events or
    // thread it runs silent, titled "No capture device", as with no device at all.
    const std::string fault = CaptureStart(request);
    if (!fault.empty()) JsonLine("listen_lost").Str("fault", fault.c_str()).Bool("at_start", true).Write();
}

void SetSwitching(bool on) {
    std::lock_guard<std::mutex> hold(fillLock);
    switching = on;
}

DWORD WINAPI SwitchThread(LPVOID) {
    for (;;) {
        WaitForSingleObject(switcher.wake, INFINITE);
        std::string device;
        {
            std::lock_guard<std::mutex> hold(switcher.lock);
            if (switcher.ending) return 0;
            if (!switcher.asked) continue;
            switcher.asked = false;
            device = switcher.device;
        }
        const DWORD started = GetTickCount();
        SetSwitching(true);
        CaptureStop();
        {
            std::lock_guard<std::mutex> hold(noticeLock);
            microphoneNotice.clear();
        }
        StartCapture(device, CaptureGain());
        SetSwitching(false);
        JsonLine("listen_switch").Str("device", device.c_str()).Int("ms", GetTickCount() - started).Write();
        if (HWND window = statusWindow.load()) PostMessageA(window, kAppListenStatusChanged, 0, 0);
    }
}

void LogSpectrum(VisModule* module) {
    int peak = 0;
    for (int k = 1; k < kSpectrumBins; ++k)
        if (module->spectrumData[0][k] > module->spectrumData[0][peak]) peak = k;
    JsonLine("spectrum").Num("position", CaptureSeconds()).Int("peak_bin_left", peak)
        .Int("peak_left", module->spectrumData[0][peak]).Write();
}

}  // namespace

void AppListenStart(const AppOptions& options, HWND appWindow, bool spectrumLines) {
    statusWindow = appWindow;
    logSpectrum = spectrumLines;
    settingsPath = AppSettingsPath(AppUserFolder(options.userFolder));
    kept = ListenSettingsLoad(settingsPath);
    if (options.deviceGiven && options.device != kept.device) {
        kept.device = options.device;
        ListenSettingsSave(settingsPath, kept);
    }
    StartCapture(kept.device, kept.gain);
    switcher.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    switcher.thread = CreateThread(nullptr, 0, SwitchThread, nullptr, 0, nullptr);
    if (kept.gain != 1.0) PostMessageA(appWindow, kAppListenStatusChanged, 0, 0);
}

void AppListenStop() {
    if (switcher.thread) {
        {
            std::lock_guard<std::mutex> hold(switcher.lock);
            switcher.ending = true;
        }
        SetEvent(switcher.wake);
        WaitForSingleObject(switcher.thread, INFINITE);
        CloseHandle(switcher.thread);
        CloseHandle(switcher.wake);
        switcher.thread = nullptr;
    }
    CaptureStop();
    statusWindow = nullptr;
}

void AppListenFill(VisModule* module) {
    {
        std::lock_guard<std::mutex> hold(fillLock);
        if (switching) {
            std::memset(module->spectrumData, 0, sizeof(module->spectrumData));
            std::memset(module->waveformData, 0, sizeof(module->waveformData));
        } else {
            CaptureFill(module->spectrumData, module->waveformData);
        }
    }
    if (logSpectrum) LogSpectrum(module);
}

std::string AppListenTitle() { return CaptureTitle(); }

void AppListenGainStep(int change, unsigned key) {
    const double gain = change == 0 ? 1.0 : GainClamp(GainAtStep(GainStep(CaptureGain()) + change));
    CaptureSetGain(gain);
    kept.gain = gain;
    const bool saved = ListenSettingsSave(settingsPath, kept);
    JsonLine("listen_gain").Num("gain", gain).Int("key", key).Bool("saved", saved).Write();
}

double AppListenGain() { return CaptureGain(); }

std::string AppListenStatus() {
    std::string title = "Smearscope";
    const double gain = CaptureGain();
    if (gain != 1.0) title += " - " + GainText(gain);
    std::lock_guard<std::mutex> hold(noticeLock);
    if (!microphoneNotice.empty()) title += " - showing the microphone";
    return title;
}

std::string AppListenMicrophoneNotice() {
    std::lock_guard<std::mutex> hold(noticeLock);
    return microphoneNotice;
}

std::vector<AudioDevice> AppListenDevices() {
    std::string fault;
    return ListAudioDevices(fault);
}

size_t AppListenChosen(const std::vector<AudioDevice>& devices) {
    size_t found = devices.size();
    if (kept.device.empty() || !MatchDevice(devices, kept.device, true, found).empty()) return devices.size();
    return found;
}

void AppListenSwitch(const std::string& device) {
    kept.device = device;
    const bool saved = ListenSettingsSave(settingsPath, kept);
    JsonLine("listen_choice").Str("device", device.c_str()).Bool("saved", saved).Write();
    {
        std::lock_guard<std::mutex> hold(switcher.lock);
        switcher.device = device;
        switcher.asked = true;
    }
    SetEvent(switcher.wake);
}
