// Other hosts' ways of driving a plug-in (--quirk): the render thread, the host window that
// dies before Quit, the silent playlist answers, the rate fields, the display modes a manifest hides.
#include "host/harness/quirks.h"
#include "host/run/host_state.h"
#include "host/base/json_log.h"

namespace {

HWND ownedHostWindow = nullptr;  // destroy-before-quit: the owner on the visualisation thread

// The render thread: one request at a time, handed over and waited for through two events.
struct RenderThread {
    HANDLE thread = nullptr;
    HANDLE request = nullptr;
    HANDLE done = nullptr;
    VisModule* module = nullptr;
    bool stop = false;
    int result = 0;
};
RenderThread renderThread;

DWORD WINAPI RenderThreadMain(LPVOID) {
    for (;;) {
        WaitForSingleObject(renderThread.request, INFINITE);
        if (renderThread.stop) return 0;
        renderThread.result = renderThread.module->Render(renderThread.module);
        SetEvent(renderThread.done);
    }
}

bool StartRenderThread() {
    renderThread.request = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    renderThread.done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!renderThread.request || !renderThread.done) return false;
    renderThread.thread = CreateThread(nullptr, 0, RenderThreadMain, nullptr, 0, nullptr);
    if (!renderThread.thread) return false;
    JsonLine("render_thread").Int("thread", (long long)GetThreadId(renderThread.thread)).Write();
    return true;
}

void LogRates(const char* when, const VisModule* module) {
    JsonLine("rates").Str("when", when).Int("sample_rate", module->sampleRate)
        .Int("channels", module->channelCount).Write();
}

}  // namespace

bool QuirksValid(const HostOptions& options, std::string& error) {
    if ((options.quirks & kQuirkIgnoreResult) && options.frames == 0) {
        error = "--quirk ignore-result needs --frames N: nothing else would end the run";
        return false;
    }
    // The loader makes its own threads and parent window and calls Init, Render and Quit once each run.
    const unsigned ownWays = kQuirkRenderThread | kQuirkDestroyBeforeQuit;
    const CallOrder order = options.soak.callOrder;
    if ((options.quirks & kQuirkTimerLoader) &&
        ((options.quirks & ownWays) || (order != CallOrder::Normal && order != CallOrder::RenderAfterQuit))) {
        error = "--quirk timer-thread (or timer-before-init) takes neither render-thread, destroy-before-quit nor a --call-order but render-after-quit";
        return false;
    }
    return true;
}

bool QuirkOn(unsigned quirk) { return (hostState.options.quirks & quirk) != 0; }

void LogQuirks() {
    for (const char* name : QuirkNames(hostState.options.quirks)) JsonLine("quirk").Str("name", name).Write();
}

bool QuirkHidesMode(const DEVMODEA& mode) {
    if (!QuirkOn(kQuirkNo16BitModes)) return false;
    DWORD bits = mode.dmBitsPerPel;
    if (!(mode.dmFields & DM_BITSPERPEL)) {
        // A request without a depth keeps the display's own.
        DEVMODEA current = {};
        current.dmSize = sizeof(current);
        if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current)) return false;
        bits = current.dmBitsPerPel;
    }
    return bits < 32;
}

bool QuirkRefusesMode(const DEVMODEA& mode) {
    const bool namesMore = (mode.dmFields & (DM_BITSPERPEL | DM_DISPLAYFREQUENCY)) != 0;
    return QuirkHidesMode(mode) || (QuirkOn(kQuirkSizeOnlyModes) && namesMore);
}

bool QuirkAnswersQuery(WPARAM wParam, LPARAM query, LRESULT& answer) {
    if (!QuirkOn(kQuirkSilentPlaylist) || (query != 125 && query != 212)) return false;
    answer = 0;
    JsonLine line("query");
    line.Int("lparam", (long long)query).Int("wparam", (long long)wParam);
    if (query == 125) line.Int("answer", 0);
    else line.Null("answer");
    line.Write();
    return true;
}

void QuirksStartThread(VisModule* module, HWND (*makeHostWindow)(const char* title, int x, int y)) {
    if (!QuirkOn(kQuirkDestroyBeforeQuit) || hostState.options.config) return;
    ownedHostWindow = makeHostWindow("Smearscope host (main thread)", 1000, 560);
    if (ownedHostWindow) module->parentWindow = ownedHostWindow;
}

void QuirkBeforeQuit(HWND pluginWindow) {
    if (!ownedHostWindow) return;
    BOOL destroyed = DestroyWindow(ownedHostWindow);
    ownedHostWindow = nullptr;
    // The plug-in keeps the dead handle, as it would in that host.
    JsonLine("host_window_destroyed").Bool("ok", destroyed != FALSE)
        .Bool("plugin_window_destroyed", pluginWindow && !IsWindow(pluginWindow)).Write();
}

void QuirkBeforeInit(VisModule* module) {
    if (!QuirkOn(kQuirkNoRate)) return;
    module->sampleRate = 0;
    module->channelCount = 0;
    LogRates("init", module);
}

void QuirkAfterInit(VisModule* module) {
    if (!QuirkOn(kQuirkNoRate)) return;
    module->sampleRate = 44100;
    module->channelCount = 2;
    LogRates("after_init", module);
}

int QuirkRender(VisModule* module, void (*dispatch)()) {
    if (!QuirkOn(kQuirkRenderThread)) return module->Render(module);
    if (!renderThread.thread && !StartRenderThread()) return module->Render(module);
    renderThread.module = module;
    SetEvent(renderThread.request);
    // This thread owns the plug-in's window: its messages keep flowing while the other thread renders.
    while (MsgWaitForMultipleObjects(1, &renderThread.done, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        dispatch();
    return renderThread.result;
}

void QuirkStopRenderThread() {
    if (!renderThread.thread) return;
    renderThread.stop = true;
    SetEvent(renderThread.request);
    WaitForSingleObject(renderThread.thread, INFINITE);
    CloseHandle(renderThread.thread);
    CloseHandle(renderThread.request);
    CloseHandle(renderThread.done);
    renderThread = RenderThread();
}
