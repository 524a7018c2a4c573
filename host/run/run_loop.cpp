// One host run: the options checked, the host window made, the plug-in loaded, run on the
// visualisation thread while the main thread answers its queries, and freed, as often as asked.
#include "host/run/run_loop.h"
#include <cstdio>
#include <string>
#include "host/playback/audio_feed.h"
#include "host/run/bench.h"
#include "host/harness/dialog_driver.h"
#include "host/run/exit_status.h"
#include "host/run/host_clock.h"
#include "host/run/host_state.h"
#include "host/run/host_window.h"
#include "host/base/json_log.h"
#include "host/harness/plugin_loader.h"
#include "host/harness/quirks.h"
#include "host/run/soak.h"
#include "host/run/vis_thread.h"

HostState hostState;

namespace {

const DWORD kDialogTimeoutMs = 10000;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    const char* callback = hostState.currentCallback.load();
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
    TerminateProcess(GetCurrentProcess(), kExitCrash);
    return EXCEPTION_EXECUTE_HANDLER;
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

// Runs the loaded plug-in on a visualisation thread while the main thread answers its queries.
int RunLoaded(VisModule* module, const std::string& pluginClass, int load) {
    HANDLE thread = StartVisualisationThread(module, pluginClass, load);
    if (!thread) return Fail(kExitLoadOrContract, "cannot start the visualisation thread");
    if (!PumpUntilDone(thread)) {
        // The plug-in is stuck inside Config; nothing can unwind it.
        int status = Fail(kExitNoDialog, "the configuration dialog did not appear within 10 s");
        JsonLogClose();
        TerminateProcess(GetCurrentProcess(), status);
    }
    CloseHandle(thread);
    std::string reason;
    if (int status = VisualisationFailure(reason); status != kExitContractKept) return Fail(status, reason);
    if (!hostState.captureError.empty()) return Fail(kExitCaptureFailed, hostState.captureError);
    return kExitContractKept;
}

// What the run feeds the plug-in, on the bench's clock.
FeedRequest FeedFor(const HostOptions& options) {
    FeedRequest feed;
    feed.audioPaths = options.audioPaths;
    if (options.titleGiven) feed.title = options.title;
    feed.spectrumOverride = options.spectrumGiven;
    feed.listen = options.listen;
    feed.listenInput = options.listenInput;
    feed.device = options.device;
    feed.listenSettingsPath = options.listenSettingsPath;
    feed.clock = HostClockSeconds;
    return feed;
}

}  // namespace

int RunHost(const HostOptions& options) {
    hostState.options = options;
    HostClockSetStep(options.clockStepMs);
    SetUnhandledExceptionFilter(ReportCrash);
    std::string error;
    if (!DialogActionsValid(options.dialogActions, error) || !QuirksValid(options, error))
        return Fail(kExitBadOptions, error);
    if (!options.logPath.empty() && !JsonLogOpen(options.logPath.c_str()))
        return Fail(kExitBadOptions, "cannot write the log " + options.logPath);
    if (!options.captureDir.empty()) CreateDirectoryA(options.captureDir.c_str(), nullptr);
    if (!options.capturePassesDir.empty()) CreateDirectoryA(options.capturePassesDir.c_str(), nullptr);

    LogQuirks();
    hostState.hostWindow = CreateHostWindow();
    if (!hostState.hostWindow) return Fail(kExitLoadOrContract, "cannot create the host window");
    int status = kExitContractKept;
    if (!options.config) AudioFeedStart(FeedFor(options));
    for (int load = 1; status == kExitContractKept && load <= options.soak.reloads; ++load) {
        VisModule* module = nullptr;
        std::string pluginClass;
        status = LoadPlugin(options.pluginPath.empty() ? DefaultPluginPath() : options.pluginPath, module,
                            pluginClass);
        if (status == kExitContractKept) status = RunLoaded(module, pluginClass, load);
        UnloadPlugin();
        if (options.soak.runs > 1 || options.soak.reloads > 1) {
            LogFreeglutClass(load);
            LogResources("unload", load, VisualisationRuns());
        }
    }
    AudioFeedStop();
    if (status == kExitContractKept && !options.config && !BenchReportResults(options))
        status = Fail(kExitBadOptions, "cannot write the bench figures to " + options.benchJsonPath);
    DestroyHostWindow(hostState.hostWindow);
    JsonLine("exit").Int("status", status).Write();
    JsonLogClose();
    return status;
}
