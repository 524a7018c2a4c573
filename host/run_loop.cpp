// The player stand-in: the host's main window and its query answers on the main thread, the
// plug-in's callbacks and its window's messages on a visualisation thread of their own.
#include "host/run_loop.h"
#include <atomic>
#include <cstdio>
#include <string>
#include "host/audio_feed.h"
#include "host/bench.h"
#include "host/dialog_driver.h"
#include "host/host_clock.h"
#include "host/host_state.h"
#include "host/json_log.h"
#include "host/message_boxes.h"
#include "host/plugin_hooks.h"
#include "host/quirks.h"
#include "host/soak.h"
#include "host/synthetic_spectrum.h"
#include "plugin/vis_module.h"

HostState hostState;

namespace {

const char kHostClass[] = "SmearscopeHostWindow";
const DWORD kDialogTimeoutMs = 10000;

VisModule* module = nullptr;
std::string pluginClass;                 // the header's description: the plug-in's window class
std::atomic<bool> hostClosing{false};    // the host window was asked to close: end the run
std::atomic<int> visExitStatus{0};
std::atomic<const char*> currentCallback{nullptr};
std::string visFailure;                  // reason for visExitStatus, written by the vis thread

int Fail(int status, const std::string& reason) {
    std::fprintf(stderr, "smearscope-host: %s\n", reason.c_str());
    JsonLine("failure").Int("status", status).Str("reason", reason.c_str()).Write();
    return status;
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    const char* callback = currentCallback.load();
    char reason[200];
    std::snprintf(reason, sizeof(reason), "crash: exception 0x%08lx at %p in %s (frame %d)",
                  (unsigned long)info->ExceptionRecord->ExceptionCode, info->ExceptionRecord->ExceptionAddress,
                  callback ? callback : "the host", hostState.frame);
    JsonLine("crash").Int("code", (long long)info->ExceptionRecord->ExceptionCode)
        .Str("callback", callback).Int("frame", hostState.frame).Write();
    std::fprintf(stderr, "smearscope-host: %s\n", reason);
    std::fflush(stderr);
    JsonLogClose();
    // Not ExitProcess: the plug-in's detach code must not run on a broken process.
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// ---- main thread: the player's main window ----

LRESULT AnswerQuery(WPARAM wParam, LPARAM lParam) {
    static std::string title;
    JsonLine line("query");
    line.Int("lparam", (long long)lParam).Int("wparam", (long long)wParam);
    LRESULT answer = 0;
    if (QuirkAnswersQuery(wParam, lParam, answer)) return answer;
    switch (lParam) {
    case 104:
        answer = SoakIsPlaying(hostState.frame, !hostState.options.notPlaying &&
                                                    (!AudioFeedActive() || AudioFeedPlaying())) ? 1 : 0;
        line.Int("answer", answer);
        break;
    case 125:
        answer = AudioFeedActive() ? AudioFeedIndex() : 0;
        line.Int("answer", answer);
        break;
    case 212: {
        bool overridden = false;
        if (const char* drill = SoakTitle(hostState.frame, overridden); overridden) {
            answer = (LRESULT)drill;
            line.Int("answer_length", drill ? lstrlenA(drill) : 0);
            break;
        }
        // Stays readable after the answer: the plug-in draws it later in the frame.
        title = AudioFeedActive() ? AudioFeedTitle((long long)wParam) : hostState.options.title;
        answer = hostState.options.nullTitle ? 0 : (LRESULT)title.c_str();
        line.Str("answer", hostState.options.nullTitle ? nullptr : title.c_str());
        break;
    }
    default:
        line.Int("answer", 0);
        break;
    }
    line.Write();
    return answer;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_USER:
        return AnswerQuery(wParam, lParam);
    case WM_KEYDOWN:
        JsonLine("forwarded_key").Int("wparam", (long long)wParam).Int("lparam", (long long)(DWORD)lParam).Write();
        AudioFeedKey(wParam);
        return 0;
    case WM_CLOSE:
        // The run ends at the next frame; the window goes only after the plug-in has quit.
        hostClosing = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHostWindow() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kHostClass;
    if (!RegisterClassExA(&windowClass)) return nullptr;
    // Out of the way of the plug-in's window, which starts near the top left.
    HWND window = CreateWindowExA(0, kHostClass, "Smearscope host", WS_OVERLAPPEDWINDOW, 1000, 780, 260, 180,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

// ---- visualisation thread ----

struct WindowSearch {
    const char* className;
    HWND found;
    HWND fallback;
};

BOOL CALLBACK FindPluginWindow(HWND window, LPARAM param) {
    auto* search = (WindowSearch*)param;
    char className[256] = {};
    GetClassNameA(window, className, sizeof(className));
    if (lstrcmpA(className, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    if (!search->fallback && IsWindowVisible(window) && lstrcmpA(className, "#32770") != 0) search->fallback = window;
    return TRUE;
}

// The plug-in's window: its class is the description; else the visible top-level window of this thread.
HWND PluginWindow() {
    WindowSearch search{pluginClass.c_str(), nullptr, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindPluginWindow, (LPARAM)&search);
    return search.found ? search.found : search.fallback;
}

void DispatchThreadMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            JsonLine("wm_quit").Int("exit_code", (long long)message.wParam).Write();
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

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
        RECT rect = {0, 0, resize.width, resize.height};
        AdjustWindowRectEx(&rect, (DWORD)GetWindowLongA(window, GWL_STYLE), FALSE,
                           (DWORD)GetWindowLongA(window, GWL_EXSTYLE));
        SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client;
        GetClientRect(window, &client);
        JsonLine("resize").Int("frame", frame).Int("client_width", client.right)
            .Int("client_height", client.bottom).Write();
    }
}

void SetVisFailure(int status, const std::string& reason) {
    if (visExitStatus != 0) return;
    visFailure = reason;
    visExitStatus = status;
}

void RunConfig(const std::vector<std::string>& actions);

int CallInit() {
    QuirkBeforeInit(module);
    BenchBeforeInit();
    currentCallback = "Init";
    int initResult = module->Init(module);
    currentCallback = nullptr;
    QuirkAfterInit(module);
    JsonLine("init").Int("result", initResult).Write();
    if (initResult != 0) SetVisFailure(2, "Init returned " + std::to_string(initResult) + ", not 0");
    if (HWND window = PluginWindow()) LogWindow(window);
    return initResult;
}

int CallRender(int frame) {
    // The spectrum and the plug-in see one clock reading per frame.
    HostClockAdvance();
    if (hostState.options.spectrumGiven) FillSpectrum(hostState.options, frame, module->spectrumData);
    AudioFeedFill(frame, module->spectrumData, module->waveformData);
    hostState.framePauseMs = 0;
    hostState.frameSleptMs = 0;
    hostState.frame = frame;
    currentCallback = "Render";
    BenchFrameStart();
    int result = QuirkRender(module, DispatchThreadMessages);
    BenchFrameEnd(frame, hostState.frameSleptMs, hostState.framePauseMs);
    currentCallback = nullptr;
    hostState.frame = 0;
    JsonLine("render").Int("frame", frame).Int("result", result).Int("pause_ms", hostState.framePauseMs).Write();
    return result;
}

void RunFrames() {
    for (int frame = 1;; ++frame) {
        DispatchThreadMessages();
        PostKeys(frame);
        SoakBeforeFrame(PluginWindow(), frame);
        DispatchThreadMessages();
        ApplyResizes(frame);
        if (!hostState.options.moves.empty()) ApplyMoves(hostState.options.moves, frame, PluginWindow());
        if (hostState.options.soak.callOrder == CallOrder::ConfigDuringRun && frame == 2)
            RunConfig(hostState.options.dialogActions);
        int result = CallRender(frame);
        if (result == 1 && !QuirkOn(kQuirkIgnoreResult)) break;
        if (result != 0 && result != 1) {
            SetVisFailure(2, "Render returned " + std::to_string(result) + " in frame " + std::to_string(frame));
            break;
        }
        if (frame == hostState.options.frames || hostClosing) break;
    }
    QuirkStopRenderThread();
}

// One run: Init, frames, Quit, in the order --call-order asks for; logs the frames it drew.
void RunVisualisation(int load, int run) {
    const CallOrder order = hostState.options.soak.callOrder;
    const int swapsBefore = hostState.swaps;
    if (QuirkOn(kQuirkConfigBeforeInit))
        RunConfig(hostState.options.dialogActions.empty() ? std::vector<std::string>{"cancel"}
                                                          : hostState.options.dialogActions);
    if (order != CallOrder::QuitWithoutInit) {
        int initResult = CallInit();
        if (order == CallOrder::InitTwice && initResult == 0) initResult = CallInit();
        if (initResult == 0) RunFrames();
    }
    DispatchThreadMessages();
    QuirkBeforeQuit(PluginWindow());
    JsonLine("quit").Write();
    currentCallback = "Quit";
    module->Quit(module);
    currentCallback = nullptr;
    // The window's destruction posts the thread's quit message; let the log see it.
    DispatchThreadMessages();
    BenchAfterQuit();
    if (order == CallOrder::RenderAfterQuit)
        for (int frame = 1; frame <= 3; ++frame) CallRender(frame);
    JsonLine("run").Int("run", run).Int("load", load).Int("frames_drawn", hostState.swaps - swapsBefore).Write();
    LogResources("run", load, run);
}

void RunConfig(const std::vector<std::string>& actions) {
    DialogDriverStart(module->parentWindow, actions);
    currentCallback = "Config";
    module->Config(module);
    currentCallback = nullptr;
    DialogDriverStop();
    if (!DialogDriverSawDialog()) {
        SetVisFailure(4, "Config returned without showing its dialog");
        return;
    }
    INT_PTR result = PluginImportsDialogBox() ? LastDialogResult() : DialogDriverEndAction();
    JsonLine("config_result").Int("result", (long long)result).Bool("dialog", true).Write();
}

int loadNumber = 0;
int runNumber = 0;

DWORD WINAPI VisualisationThread(LPVOID) {
    QuirksStartThread(module, kHostClass);
    const bool dialogExpected = hostState.options.config || QuirkOn(kQuirkConfigBeforeInit) ||
                                hostState.options.soak.callOrder == CallOrder::ConfigDuringRun;
    InstallMessageBoxHook(dialogExpected ? module->parentWindow : nullptr);
    if (hostState.options.config) RunConfig(hostState.options.dialogActions);
    else
        for (int run = 0; run < hostState.options.soak.runs && visExitStatus == 0; ++run)
            RunVisualisation(loadNumber, ++runNumber);
    RemoveMessageBoxHook();
    return 0;
}

void PumpHostMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Pumps the main window's messages until the visualisation thread ends; false on a dialog timeout.
bool PumpUntilDone(HANDLE thread) {
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) {
            // Keys the plug-in forwarded last may still wait in the queue.
            PumpHostMessages();
            return true;
        }
        PumpHostMessages();
        if (hostState.options.config && !DialogDriverSawDialog() && GetTickCount() - start > kDialogTimeoutMs)
            return false;
    }
}

std::string DefaultPluginPath() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string text(path, length);
    size_t slash = text.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : text.substr(0, slash + 1)) + "vis_Smearscope.dll";
}

// Loads the library and reads its header and module record; nonzero status on failure.
int LoadPlugin(const std::string& path) {
    hostState.plugin = LoadLibraryA(path.c_str());
    if (!hostState.plugin)
        return Fail(2, "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")");
    auto getHeader = (GetHeaderProc)GetProcAddress(hostState.plugin, "winampVisGetHeader");
    if (!getHeader) return Fail(2, path + " has no export winampVisGetHeader");
    InstallPluginHooks(hostState.plugin);
    if (hostState.options.bench) InstallBenchCounters(hostState.plugin);
    currentCallback = "winampVisGetHeader";
    VisHeader* header = getHeader();
    currentCallback = nullptr;
    if (!header) return Fail(2, "winampVisGetHeader returned null");
    JsonLine("header").Int("version", header->version).Str("description", header->description).Write();
    if (header->version != kVisHeaderVersion)
        return Fail(2, "header version " + std::to_string(header->version) + ", expected 256");
    pluginClass = header->description ? header->description : "";
    for (int index : {0, 1, -1}) {
        VisModule* found = header->getModule(index);
        JsonLine("module").Int("index", index).Bool("null", found == nullptr).Write();
        if (index == 0) module = found;
    }
    if (!module) return Fail(2, "GetModule(0) returned null");
    module->parentWindow = hostState.hostWindow;
    module->instance = hostState.plugin;
    return 0;
}


// Runs the loaded plug-in on a visualisation thread while the main thread answers its queries.
int RunLoaded() {
    HANDLE thread = CreateThread(nullptr, 0, VisualisationThread, nullptr, 0, nullptr);
    if (!thread) return Fail(2, "cannot start the visualisation thread");
    if (!PumpUntilDone(thread)) {
        // The plug-in is stuck inside Config; nothing can unwind it.
        int status = Fail(4, "the configuration dialog did not appear within 10 s");
        JsonLogClose();
        TerminateProcess(GetCurrentProcess(), status);
    }
    CloseHandle(thread);
    if (visExitStatus != 0) return Fail(visExitStatus, visFailure);
    if (!hostState.captureError.empty()) return Fail(5, hostState.captureError);
    return 0;
}

}  // namespace

int RunHost(const HostOptions& options) {
    hostState.options = options;
    HostClockSetStep(options.clockStepMs);
    SetUnhandledExceptionFilter(ReportCrash);
    std::string error;
    if (!DialogActionsValid(options.dialogActions, error) || !QuirksValid(options, error)) return Fail(1, error);
    if (!options.logPath.empty() && !JsonLogOpen(options.logPath.c_str()))
        return Fail(1, "cannot write the log " + options.logPath);
    if (!options.captureDir.empty()) CreateDirectoryA(options.captureDir.c_str(), nullptr);

    LogQuirks();
    hostState.hostWindow = CreateHostWindow();
    if (!hostState.hostWindow) return Fail(2, "cannot create the host window");
    int status = 0;
    if (!options.config) AudioFeedStart(options);
    for (loadNumber = 1; status == 0 && loadNumber <= options.soak.reloads; ++loadNumber) {
        status = LoadPlugin(options.pluginPath.empty() ? DefaultPluginPath() : options.pluginPath);
        if (status == 0) status = RunLoaded();
        if (hostState.plugin) FreeLibrary(hostState.plugin);
        hostState.plugin = nullptr;
        module = nullptr;
        JsonLine("unloaded").Write();
        if (options.soak.runs > 1 || options.soak.reloads > 1) {
            LogFreeglutClass(loadNumber);
            LogResources("unload", loadNumber, runNumber);
        }
    }
    AudioFeedStop();
    if (status == 0 && !options.config && !BenchReportResults(options))
        status = Fail(1, "cannot write the bench figures to " + options.benchJsonPath);
    DestroyWindow(hostState.hostWindow);
    UnregisterClassA(kHostClass, GetModuleHandleA(nullptr));
    JsonLine("exit").Int("status", status).Write();
    JsonLogClose();
    return status;
}
