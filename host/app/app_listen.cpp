// The app's listening: the one place it reaches the host's capture of what the PC plays, for
// the frames' blocks, the title the plug-in asks for, the gain keys and the choices it remembers.
#include "host/app/app_listen.h"
#include <atomic>
#include <mutex>
#include "host/app/app_paths.h"
#include "host/base/json_log.h"
#include "host/listen/capture_source.h"
#include "host/listen/listen_gain.h"
#include "host/listen/listen_settings.h"

namespace {

std::atomic<HWND> statusWindow{nullptr};
std::mutex noticeLock;
std::string microphoneNotice;  // under noticeLock: set on the capture thread, read on the main one
std::string settingsPath;
ListenSettings kept;

// The notice's box, on a thread of its own: neither the capture nor the main thread, which answers
// the plug-in's queries, waits for the user to read it.
DWORD WINAPI ShowMicrophoneBox(void*) {
    std::string text;
    {
        std::lock_guard<std::mutex> hold(noticeLock);
        text = microphoneNotice;
    }
    // No owner: the app's window lives on the main thread, and a box owned across threads would
    // tie their ends together.
    MessageBoxA(nullptr, text.c_str(), "Smearscope", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
    return 0;
}

// On the capture thread, once a run: said in a box and, for as long as it holds, in the title
// (the title is the main thread's to change).
void MicrophoneShown(const std::string& text) {
    {
        std::lock_guard<std::mutex> hold(noticeLock);
        microphoneNotice = text;
    }
    JsonLine("listen_microphone").Str("text", text.c_str()).Write();
    if (HANDLE box = CreateThread(nullptr, 0, ShowMicrophoneBox, nullptr, 0, nullptr)) CloseHandle(box);
    if (HWND window = statusWindow.load()) PostMessageA(window, kAppListenStatusChanged, 0, 0);
}

}  // namespace

void AppListenStart(const AppOptions& options, HWND appWindow) {
    statusWindow = appWindow;
    settingsPath = AppSettingsPath(AppUserFolder(options.userFolder));
    kept = ListenSettingsLoad(settingsPath);
    if (options.deviceGiven && options.device != kept.device) {
        kept.device = options.device;
        ListenSettingsSave(settingsPath, kept);
    }
    CaptureRequest request;
    request.source = ListenSource::Output;
    request.device = kept.device;
    request.gain = kept.gain;
    request.microphoneShown = MicrophoneShown;
    // The app has no console to say the rest on: its log has them. Without the capture's events or
    // thread it runs silent, titled "No capture device", as with no device at all.
    const std::string fault = CaptureStart(request);
    if (!fault.empty()) JsonLine("listen_lost").Str("fault", fault.c_str()).Bool("at_start", true).Write();
    if (kept.gain != 1.0) PostMessageA(appWindow, kAppListenStatusChanged, 0, 0);
}

void AppListenStop() {
    CaptureStop();
    statusWindow = nullptr;
}

void AppListenFill(VisModule* module) { CaptureFill(module->spectrumData, module->waveformData); }

std::string AppListenTitle() { return CaptureTitle(); }

bool AppListenGainKey(unsigned virtualKey) {
    double gain = 1.0;
    if (!CaptureGainKey(virtualKey, gain)) return false;
    kept.gain = gain;
    const bool saved = ListenSettingsSave(settingsPath, kept);
    JsonLine("listen_gain").Num("gain", gain).Int("key", virtualKey).Bool("saved", saved).Write();
    return true;
}

std::string AppListenStatus() {
    std::string title = "Smearscope";
    const double gain = CaptureGain();
    if (gain != 1.0) title += " - " + GainText(gain);
    std::lock_guard<std::mutex> hold(noticeLock);
    if (!microphoneNotice.empty()) title += " - showing the microphone";
    return title;
}
