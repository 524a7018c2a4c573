// Loading the plug-in: the player's loading, checked and logged, with the host's hooks in its
// import table; and freeing it again.
#include "host/harness/plugin_loader.h"
#include <windows.h>
#include "host/player/plugin_library.h"
#include "host/run/bench.h"
#include "host/run/exit_status.h"
#include "host/run/host_state.h"
#include "host/harness/plugin_hooks.h"

namespace {
PluginLibrary loaded;

void InstallHooks(HMODULE library) {
    InstallPluginHooks(library);
    if (hostState.options.bench) InstallBenchCounters(library);
}
}  // namespace

std::string DefaultPluginPath() { return PluginBesideProgram(); }

int LoadPlugin(const std::string& path, VisModule*& module, std::string& pluginClass) {
    std::string fault = LoadPluginLibrary(path, hostState.hostWindow, loaded, InstallHooks, &hostState.currentCallback);
    hostState.plugin = loaded.library;
    module = loaded.module;
    pluginClass = loaded.windowClass;
    return fault.empty() ? kExitContractKept : Fail(kExitLoadOrContract, fault);
}

void UnloadPlugin() {
    FreePluginLibrary(loaded);
    hostState.plugin = nullptr;
}
