// One start of the app: the user folder and the plug-in's copy, the app's window, the plug-in
// loaded and run on a visualisation thread while the main thread answers it, and the exit status.
#include "host/app/app_run.h"
#include <windows.h>
#include <string>
#include "host/app/app_end.h"
#include "host/app/app_instance.h"
#include "host/app/app_listen.h"
#include "host/app/app_menu.h"
#include "host/app/app_paths.h"
#include "host/app/app_picture.h"
#include "host/app/app_settings.h"
#include "host/app/app_window.h"
#include "host/player/plugin_library.h"
#include "host/player/plugin_thread.h"
#include "host/player/player_window.h"
#include "host/player/vis_loop.h"
#include "host/base/json_log.h"

namespace {

// How long a later start waits for the running app's window (it may itself be starting).
const DWORD kHandOverWaitMs = 10000;

struct VisRun {
    AppOptions options;
    PluginLibrary plugin;
    int framesDrawn = 0;       // over every run
    int initResult = 0;
    bool failedStart = false;  // the last run's start failed
};
VisRun visRun;

// The one line a failure leaves in the log; the app's own failures are also told in a box (the
// plug-in tells its own).
int AppFailure(int status, const std::string& reason, bool box) {
    JsonLine("failure").Int("status", status).Str("reason", reason.c_str()).Write();
    if (box) MessageBoxA(nullptr, reason.c_str(), "Smearscope", MB_OK | MB_ICONERROR);
    return status;
}

// The size the plug-in is about to store at Quit: the window's as it ends.
void LogQuitWindow(HWND window) {
    RECT outer = {}, client = {};
    if (window) {
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
    }
    JsonLine("quit").Bool("window", window != nullptr).Int("x", outer.left).Int("y", outer.top)
        .Int("client_width", client.right).Int("client_height", client.bottom).Write();
}

// The way back from a failed start, in the app's own box: the plug-in's dialog; true when it was
// confirmed, and the run is tried again.
bool OfferPictureSettings(VisModule* module) {
    JsonLine("app_box").Str("title", "Smearscope").Write();
    const bool yes = MessageBoxA(nullptr, "The picture could not start. Open Picture settings?", "Smearscope",
                                 MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
    JsonLine("start_failed_box").Bool("settings", yes).Write();
    return yes && RunPictureSettings(module);
}

// The app's part of the player's loop: the picture placed after Init and as asked between frames,
// the listened spectrum before each Render; after the plug-in's settings dialog ends with OK, Quit
// and Init again, as a player does, and the picture placed as it was. A start fails when Init
// answers otherwise than 0 or the run's first Render ends it (the plug-in's box said why), unless
// the user ended it.
class AppSteps : public VisLoopSteps {
public:
    explicit AppSteps(VisModule* module) : module(module) {}
    int Init(int run) override {
        runFrames = 0;
        visRun.initResult = module->Init(module);
        JsonLine("init").Int("result", visRun.initResult).Int("run", run).Write();
        visRun.failedStart = visRun.initResult != 0;
        return visRun.initResult;
    }
    void Begin() override {
        window = FindPluginWindow(visRun.plugin.windowClass, GetCurrentThreadId());
        PictureBegin(window);
    }
    bool RestartBeforeFrame(int) override {
        if (PictureBetweenFrames(window, module)) return true;
        AppListenFill(module);
        return false;
    }
    int Render(int) override { return module->Render(module); }
    bool AfterRender(int, int result) override {
        if (result == 0) {
            ++runFrames;
            if (++visRun.framesDrawn == 1) JsonLine("first_frame").Write();
        } else if (runFrames == 0 && !AppClosing()) {
            visRun.failedStart = true;
        }
        return !AppClosing();
    }
    // Quit stores the size the window has: the one before filling.
    void End() override { PictureEnd(window); }
    void Quit() override {
        LogQuitWindow(FindPluginWindow(visRun.plugin.windowClass, GetCurrentThreadId()));
        module->Quit(module);
    }
    bool AgainAfterQuit() override { return visRun.failedStart && OfferPictureSettings(module); }

private:
    VisModule* module;
    HWND window = nullptr;
    int runFrames = 0;
};

// Runs until the user ends it.
DWORD WINAPI VisualisationThread(LPVOID) {
    AppSteps steps(visRun.plugin.module);
    VisLoopLimits limits;
    limits.frames = visRun.options.frames;
    RunVisualisationLoop(steps, limits);
    // A menu open on the main thread would hold the app after the picture has gone.
    PostMessageA(visRun.plugin.module->parentWindow, WM_CANCELMODE, 0, 0);
    return 0;
}

// The main thread answers the plug-in's queries until the visualisation thread ends.
void PumpUntilEnded(HANDLE thread) {
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        PumpPlayerMessages();
    PumpPlayerMessages();
}

int RunLoaded(HWND appWindow) {
    VisModule* module = visRun.plugin.module;
    if (visRun.options.config) {
        // As a player's preferences do: on its main thread, the dialog owned by its window.
        module->Config(module);
        return kAppDone;
    }
    ShowAppIcon(appWindow);
    AppListenStart(visRun.options, appWindow, !visRun.options.logPath.empty());
    HANDLE thread = CreateThread(nullptr, 0, VisualisationThread, nullptr, 0, nullptr);
    if (!thread) {
        AppListenStop();
        return AppFailure(kAppPluginFailed, "cannot start the visualisation thread", true);
    }
    PumpUntilEnded(thread);
    CloseHandle(thread);
    AppListenStop();
    // The user answered No, or left the dialog: the box said it could not start.
    if (visRun.failedStart && visRun.initResult != 0)
        return AppFailure(kAppPluginFailed, "the plug-in's Init returned " + std::to_string(visRun.initResult), false);
    if (visRun.failedStart)
        return AppFailure(kAppPluginFailed, "the visualisation ended before its first frame", false);
    return kAppDone;
}

}  // namespace

int RunApp(const AppOptions& options) {
    visRun.options = options;
    const std::string folder = AppUserFolder(options.userFolder);
    if (folder.empty())
        return AppFailure(kAppBadStart, "no folder to keep the settings in (" +
                                            (options.userFolder.empty() ? std::string("%LOCALAPPDATA%\\Smearscope")
                                                                        : options.userFolder) + ")", true);
    // A later start with the same folder hands over to the one running there; its log (never the
    // running one's) says so only where --log named one.
    if (!ClaimUserFolder(folder)) {
        if (!options.logPath.empty()) JsonLogOpen(options.logPath.c_str());
        HandOverToRunningApp(folder, options.config, kHandOverWaitMs);
        JsonLogClose();
        return kAppDone;
    }
    const std::string logPath = options.logPath.empty() ? AppLogPath(folder) : options.logPath;
    JsonLogOpen(logPath.c_str());
    // The menu lists the sound devices on this thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PictureStart(AppSettingsLoad(AppSettingsPath(folder)), options.fillScreen, AppSettingsPath(folder),
                 folder + "\\Smearscope.ini");
    SetAppMenuPlaces(folder, logPath);
    std::string pluginPath;
    bool copied = false;
    std::string fault = PreparePluginCopy(folder, pluginPath, copied);
    JsonLine("app").Str("user_folder", folder.c_str()).Str("plugin", pluginPath.c_str()).Bool("copied", copied)
        .Str("settings", AppSettingsPath(folder).c_str()).Write();
    int status = kAppDone;
    HWND appWindow = fault.empty() ? CreateAppWindow() : nullptr;
    PublishAppWindow(appWindow);
    if (!fault.empty()) status = AppFailure(kAppPluginFailed, fault, true);
    else if (!appWindow)
        status = AppFailure(kAppPluginFailed,
                            "cannot create the app's window (error " + std::to_string(GetLastError()) + ")", true);
    else if (fault = LoadPluginLibrary(pluginPath, appWindow, visRun.plugin); !fault.empty())
        status = AppFailure(kAppPluginFailed, fault, true);
    else
        status = RunLoaded(appWindow);
    FreePluginLibrary(visRun.plugin);
    PublishAppWindow(nullptr);
    if (appWindow) DestroyAppWindow(appWindow);
    JsonLine("exit").Int("status", status).Int("frames_drawn", visRun.framesDrawn).Write();
    JsonLogClose();
    return status;
}
