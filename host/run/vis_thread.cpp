// The visualisation thread: the player's loop with the bench's keys, resizes and drills, the quirk
// families' own drivers where they call the plug-in otherwise, or Config alone.
#include "host/run/vis_thread.h"
#include <atomic>
#include "host/playback/audio_feed.h"
#include "host/player/plugin_thread.h"
#include "host/player/vis_loop.h"
#include "host/run/bench.h"
#include "host/harness/dialog_driver.h"
#include "host/run/exit_status.h"
#include "host/run/host_clock.h"
#include "host/run/host_state.h"
#include "host/run/host_window.h"
#include "host/base/json_log.h"
#include "host/harness/message_boxes.h"
#include "host/harness/plugin_hooks.h"
#include "host/harness/quirks.h"
#include "host/run/soak.h"
#include "host/run/timer_host.h"
#include "host/playback/synthetic_spectrum.h"

namespace {

VisModule* module = nullptr;
std::string pluginClass;                 // the header's description: the plug-in's window class
std::atomic<int> visExitStatus{kExitContractKept};
std::string visFailure;                  // reason for visExitStatus, written by the vis thread
int loadNumber = 0;
int runNumber = 0;
DWORD windowThread = 0;                  // the thread that calls Init, which owns the plug-in's window

// The plug-in's window, on the thread that called Init (under timer-thread not the one running here).
HWND PluginWindow() { return FindPluginWindow(pluginClass, windowThread ? windowThread : GetCurrentThreadId()); }

void DispatchThreadMessages() { DispatchPluginMessages(); }

void LogWindow(HWND window) {
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    JsonLine("window").Int("x", outer.left).Int("y", outer.top).Int("client_width", client.right)
        .Int("client_height", client.bottom).Int("style", (DWORD)GetWindowLongA(window, GWL_STYLE))
        .Int("exstyle", (DWORD)GetWindowLongA(window, GWL_EXSTYLE)).Write();
}

void PostKeys(int frame) {
    for (const KeyPress& press : hostState.options.keys) {
        if (press.frame != frame) continue;
        HWND window = PluginWindow();
        UINT scan = MapVirtualKeyA(press.virtualKey, MAPVK_VK_TO_VSC);
        bool extended = press.virtualKey >= VK_PRIOR && press.virtualKey <= VK_DOWN;
        // A single press: repeat count 1, the scan code, the extended bit for the arrow block.
        LPARAM lParam = 1 | ((LPARAM)(scan & 0xFF) << 16) | (extended ? (1 << 24) : 0);
        JsonLine("key").Int("frame", frame).Int("wparam", press.virtualKey).Int("lparam", (long long)lParam)
            .Bool("delivered", window != nullptr).Write();
        if (window) PostMessageA(window, WM_KEYDOWN, press.virtualKey, lParam);
    }
}

void ApplyResizes(int frame) {
    for (const Resize& resize : hostState.options.resizes) {
        if (resize.frame != frame) continue;
        HWND window = PluginWindow();
        if (!window) continue;
        ResizeClientArea(window, resize.width, resize.height);
        RECT client;
        GetClientRect(window, &client);
        JsonLine("resize").Int("frame", frame).Int("client_width", client.right)
            .Int("client_height", client.bottom).Write();
    }
}

void SetVisFailure(int status, const std::string& reason) {
    if (visExitStatus != kExitContractKept) return;
    visFailure = reason;
    visExitStatus = status;
}

void RunConfig(const std::vector<std::string>& actions, HWND runWindow = nullptr);

int CallInit() {
    QuirkBeforeInit(module);
    BenchBeforeInit();
    LogCursorCount("before_init");
    hostState.currentCallback = "Init";
    int initResult = module->Init(module);
    hostState.currentCallback = nullptr;
    QuirkAfterInit(module);
    JsonLine("init").Int("result", initResult).Write();
    if (initResult != 0)
        SetVisFailure(kExitLoadOrContract, "Init returned " + std::to_string(initResult) + ", not 0");
    if (HWND window = PluginWindow()) LogWindow(window);
    return initResult;
}

// --stop-file: whoever watches the run asks it to end, after the frame in progress.
bool StopFileExists() {
    const std::string& path = hostState.options.stopFile;
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Just before a Render: the spectrum and the plug-in see one clock reading per frame.
void BeforeRender(int frame) {
    HostClockAdvance();
    const HostOptions& options = hostState.options;
    if (options.spectrumGiven) FillSpectrum(options.spectrum, options.spectrumValue, frame, module->spectrumData);
    AudioFeedFill(frame, module->spectrumData, module->waveformData);
    hostState.framePauseMs = 0;
    hostState.frameSleptMs = 0;
    hostState.frame = frame;
    hostState.currentCallback = "Render";
    BenchFrameStart();
}

// Just after it: the "render" line, for the caller to add to and write.
JsonLine AfterRender(int frame, int result) {
    hostState.currentCallback = nullptr;
    hostState.frame = 0;
    JsonLine line("render");
    line.Int("frame", frame).Int("result", result).Int("pause_ms", hostState.framePauseMs);
    return line;
}

int CallRender(int frame) {
    BeforeRender(frame);
    int result = QuirkRender(module, DispatchThreadMessages);
    BenchFrameEnd(frame, hostState.frameSleptMs, hostState.framePauseMs);
    AfterRender(frame, result).Write();
    return result;
}

// What the host does to the window before a frame after the keys: resizes and moves.
void ReshapeBeforeFrame(int frame) {
    ApplyResizes(frame);
    if (!hostState.options.moves.empty()) ApplyMoves(hostState.options.moves, frame, PluginWindow());
}

// False when the result breaks the contract, which is then the run's failure.
bool RenderResultValid(int result, int frame) {
    if (result == 0 || result == 1) return true;
    SetVisFailure(kExitLoadOrContract, "Render returned " + std::to_string(result) + " in frame " + std::to_string(frame));
    return false;
}

void CallQuit() {
    QuirkBeforeQuit(PluginWindow());
    JsonLine("quit").Write();
    hostState.currentCallback = "Quit";
    module->Quit(module);
    hostState.currentCallback = nullptr;
    LogCursorCount("after_quit");
}

// The one-thread host's part of the player's loop: the keys, drills and reshapes before each frame,
// the contract and the stop checks after it. Config during a run asks for no restart.
class BenchSteps : public VisLoopSteps {
public:
    int Init(int) override {
        const CallOrder order = hostState.options.soak.callOrder;
        if (order == CallOrder::QuitWithoutInit) return -1;
        int initResult = CallInit();
        if (order == CallOrder::InitTwice && initResult == 0) initResult = CallInit();
        return initResult;
    }
    bool RestartBeforeFrame(int frame) override {
        PostKeys(frame);
        SoakBeforeFrame(hostState.options.soak, PluginWindow(), frame);
        DispatchThreadMessages();
        ReshapeBeforeFrame(frame);
        if (hostState.options.soak.callOrder == CallOrder::ConfigDuringRun && frame == 2)
            RunConfig(hostState.options.dialogActions, PluginWindow());
        return false;
    }
    int Render(int frame) override { return CallRender(frame); }
    bool AfterRender(int frame, int result) override {
        return RenderResultValid(result, frame) && !HostWindowClosing() && !StopFileExists();
    }
    void End() override { QuirkStopRenderThread(); }
    void Quit() override { CallQuit(); }
};

// --quirk timer-thread: the frames come from the loader's timer, each under its lock. A frame's
// keys and drills go to the Init thread once, and that thread's loop has dispatched them before
// the frame is handed over; a Render that drew nothing gives its clock step back, so frames drawn
// here equal the one-thread host's on the stepped clock.
struct TimerFrames {
    int drawn = 0;
    int prepared = 0;     // the last frame whose keys were posted
    int onesInARow = 0;
    bool stopAsked = false;
};
TimerFrames timerFrames;
// Under timer-before-init, ticks come before Init has made the window: no keys or drills before it.
std::atomic<bool> timerInitReturned{false};

// Whether keys or drills are posted to the window before this frame.
bool PostsBeforeFrame(int frame) {
    const SoakOptions& soak = hostState.options.soak;
    if (soak.randomKeys > 0 || !soak.keyStorms.empty()) return true;
    for (const KeyPress& press : hostState.options.keys)
        if (press.frame == frame) return true;
    return false;
}

// Render results of 1 in a row after which the bench stops a loader that would go on calling.
const int kTimerOnesBeforeStop = 3;

bool TimerTick(bool& drew) {
    TimerFrames& frames = timerFrames;
    // Calls after the stop is asked for, as the loader's timer goes on until its kill: no frame number.
    const int frame = frames.stopAsked ? 0 : frames.drawn + 1;
    if (frame > frames.prepared && timerInitReturned) {
        frames.prepared = frame;
        PostKeys(frame);
        SoakBeforeFrame(hostState.options.soak, PluginWindow(), frame);
        if (PostsBeforeFrame(frame) && !TimerHostFlushPosted()) JsonLine("flush_timeout").Int("frame", frame).Write();
        ReshapeBeforeFrame(frame);
    }
    const int swapsBefore = hostState.swaps;
    BeforeRender(frame);
    const int result = module->Render(module);
    drew = hostState.swaps != swapsBefore;
    // The bench counts the frames asked for, not those the stop lets through.
    if (drew && frame > 0) BenchFrameEnd(frame, hostState.frameSleptMs, hostState.framePauseMs);
    if (!drew) HostClockStepBack();
    AfterRender(frame, result).Bool("drawn", drew).Write();
    if (frames.stopAsked) return false;
    if (drew) ++frames.drawn;
    frames.onesInARow = result == 1 ? frames.onesInARow + 1 : 0;
    frames.stopAsked = !RenderResultValid(result, frame) || frames.drawn == hostState.options.frames ||
                       frames.onesInARow == kTimerOnesBeforeStop || HostWindowClosing() || StopFileExists();
    return !frames.stopAsked;
}

void TimerInit() {
    windowThread = GetCurrentThreadId();
    CallInit();
    timerInitReturned = true;
}

void RunTimerVisualisation(int run) {
    timerFrames = TimerFrames();
    timerInitReturned = false;
    std::string stuckIn;
    // As many early ticks as the ones in a row the bench obeys: a 1 before the window exists ends the run.
    const int ticksBeforeInit = QuirkOn(kQuirkTimerBeforeInit) ? kTimerOnesBeforeStop : 0;
    const bool ended =
        RunTimerHost(module, kHostClass, TimerHostSteps{TimerInit, TimerTick, CallQuit, ticksBeforeInit}, stuckIn);
    windowThread = GetCurrentThreadId();
    if (ended) return;
    // A stuck Init thread or timer callback cannot be unwound: the process ends here.
    Fail(kExitLoadOrContract, "timer-thread run " + std::to_string(run) + ": " + stuckIn);
    JsonLogClose();
    TerminateProcess(GetCurrentProcess(), kExitLoadOrContract);
}

// One run: Init, frames, Quit, in the order --call-order asks for; logs the frames it drew.
void RunVisualisation(int load, int run) {
    const CallOrder order = hostState.options.soak.callOrder;
    const int swapsBefore = hostState.swaps;
    if (QuirkOn(kQuirkConfigBeforeInit))
        RunConfig(hostState.options.dialogActions.empty() ? std::vector<std::string>{"cancel"}
                                                          : hostState.options.dialogActions);
    if (QuirkOn(kQuirkTimerLoader)) {
        RunTimerVisualisation(run);
        // The window's destruction posts the thread's quit message; let the log see it.
        DispatchThreadMessages();
    } else {
        BenchSteps steps;
        VisLoopLimits limits;
        limits.frames = hostState.options.frames;
        limits.rendersPastOne = QuirkOn(kQuirkIgnoreResult);
        RunVisualisationLoop(steps, limits);
    }
    BenchAfterQuit();
    if (order == CallOrder::RenderAfterQuit)
        for (int frame = 1; frame <= 3; ++frame) CallRender(frame);
    JsonLine("run").Int("run", run).Int("load", load).Int("frames_drawn", hostState.swaps - swapsBefore).Write();
    LogResources("run", load, run);
}

// The plug-in's settings file as it stands ("" when absent): what Config left there before Quit saves.
std::string PluginSettingsFile() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(hostState.plugin, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return "";
    std::string file(path);
    file = file.substr(0, file.rfind('\\') + 1) + "Smearscope.ini";
    std::string text;
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(handle, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
    CloseHandle(handle);
    return text;
}

void RunConfig(const std::vector<std::string>& actions, HWND runWindow) {
    DialogDriverStart(module->parentWindow, runWindow, actions);
    hostState.currentCallback = "Config";
    module->Config(module);
    hostState.currentCallback = nullptr;
    DialogDriverStop();
    if (!DialogDriverSawDialog()) {
        SetVisFailure(kExitNoDialog, "Config returned without showing its dialog");
        return;
    }
    INT_PTR result = PluginImportsDialogBox() ? LastDialogResult() : DialogDriverEndAction();
    JsonLine("config_result").Int("result", (long long)result).Bool("dialog", true)
        .Str("settings_file", PluginSettingsFile().c_str()).Write();
}

DWORD WINAPI VisualisationThread(LPVOID) {
    windowThread = GetCurrentThreadId();
    QuirksStartThread(module, MakeHostWindow);
    const bool dialogExpected = hostState.options.config || QuirkOn(kQuirkConfigBeforeInit) ||
                                hostState.options.soak.callOrder == CallOrder::ConfigDuringRun;
    InstallMessageBoxHook(dialogExpected ? module->parentWindow : nullptr);
    if (hostState.options.config) RunConfig(hostState.options.dialogActions);
    else
        for (int run = 0; run < hostState.options.soak.runs && visExitStatus == kExitContractKept; ++run)
            RunVisualisation(loadNumber, ++runNumber);
    RemoveMessageBoxHook();
    return 0;
}


}  // namespace

HANDLE StartVisualisationThread(VisModule* pluginModule, const std::string& windowClass, int load) {
    module = pluginModule;
    pluginClass = windowClass;
    loadNumber = load;
    return CreateThread(nullptr, 0, VisualisationThread, nullptr, 0, nullptr);
}

int VisualisationFailure(std::string& reason) {
    reason = visFailure;
    return visExitStatus;
}

int VisualisationRuns() { return runNumber; }
