// Loading the plug-in: the player's loading, checked and logged, with the host's hooks in its
// import table; and freeing it again.
#include "host/harness/plugin_loader.h"
#include <windows.h>
#include "host/base/json_log.h"
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

// The contract's edges, which no player needs: modules 1 and -1 must be null. Each module logged.
void ProbeModules(VisHeader* header, VisModule* first) {
    JsonLine("module").Int("index", 0).Bool("null", first == nullptr).Write();
    for (int index : {1, -1})
        JsonLine("module").Int("index", index).Bool("null", header->getModule(index) == nullptr).Write();
}
}  // namespace

std::string DefaultPluginPath() { return PluginBesideProgram(); }

int LoadPlugin(const std::string& path, VisModule*& module, std::string& pluginClass) {
    std::string fault =
        LoadPluginLibrary(path, hostState.hostWindow, loaded, InstallHooks, &hostState.currentCallback, ProbeModules);
    hostState.plugin = loaded.library;
    module = loaded.module;
    pluginClass = loaded.windowClass;
    return fault.empty() ? kExitContractKept : Fail(kExitLoadOrContract, fault);
}

void UnloadPlugin() {
    FreePluginLibrary(loaded);
    hostState.plugin = nullptr;
}
