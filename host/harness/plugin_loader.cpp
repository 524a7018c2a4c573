// Loading the plug-in: the library, its header and its module record, checked and logged, with
// the host's hooks in its import table; and freeing it again.
#include "host/harness/plugin_loader.h"
#include <windows.h>
#include "host/run/bench.h"
#include "host/run/exit_status.h"
#include "host/run/host_state.h"
#include "host/run/json_log.h"
#include "host/harness/plugin_hooks.h"

std::string DefaultPluginPath() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string text(path, length);
    size_t slash = text.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : text.substr(0, slash + 1)) + "vis_Smearscope.dll";
}

int LoadPlugin(const std::string& path, VisModule*& module, std::string& pluginClass) {
    module = nullptr;
    hostState.plugin = LoadLibraryA(path.c_str());
    if (!hostState.plugin)
        return Fail(kExitLoadOrContract,
                    "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")");
    auto getHeader = (GetHeaderProc)GetProcAddress(hostState.plugin, "winampVisGetHeader");
    if (!getHeader) return Fail(kExitLoadOrContract, path + " has no export winampVisGetHeader");
    InstallPluginHooks(hostState.plugin);
    if (hostState.options.bench) InstallBenchCounters(hostState.plugin);
    hostState.currentCallback = "winampVisGetHeader";
    VisHeader* header = getHeader();
    hostState.currentCallback = nullptr;
    if (!header) return Fail(kExitLoadOrContract, "winampVisGetHeader returned null");
    JsonLine("header").Int("version", header->version).Str("description", header->description).Write();
    if (header->version != kVisHeaderVersion)
        return Fail(kExitLoadOrContract,
                    "header version " + std::to_string(header->version) + ", expected 256");
    pluginClass = header->description ? header->description : "";
    for (int index : {0, 1, -1}) {
        VisModule* found = header->getModule(index);
        JsonLine("module").Int("index", index).Bool("null", found == nullptr).Write();
        if (index == 0) module = found;
    }
    if (!module) return Fail(kExitLoadOrContract, "GetModule(0) returned null");
    module->parentWindow = hostState.hostWindow;
    module->instance = hostState.plugin;
    return kExitContractKept;
}

void UnloadPlugin() {
    if (hostState.plugin) FreeLibrary(hostState.plugin);
    hostState.plugin = nullptr;
    JsonLine("unloaded").Write();
}
