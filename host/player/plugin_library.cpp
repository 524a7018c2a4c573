// Loading a visualisation plug-in as a player does: the library, its export, its header and module
// 0, with the player's window and the library's handle written into the module record.
#include "host/player/plugin_library.h"
#include "host/base/json_log.h"

namespace {
// What a player announces in the record: CD audio, the format the spectrum blocks stand for.
const int kAnnouncedRate = 44100;
const int kAnnouncedChannels = 2;
}  // namespace

std::string PluginBesideProgram() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string text(path, length);
    size_t slash = text.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : text.substr(0, slash + 1)) + "vis_Smearscope.dll";
}

std::string LoadPluginLibrary(const std::string& path, HWND parent, PluginLibrary& plugin,
                              void (*beforeHeader)(HMODULE), std::atomic<const char*>* callback,
                              void (*probe)(VisHeader*, VisModule*)) {
    plugin = PluginLibrary();
    plugin.library = LoadLibraryA(path.c_str());
    if (!plugin.library) return "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    auto getHeader = (GetHeaderProc)GetProcAddress(plugin.library, "winampVisGetHeader");
    if (!getHeader) return path + " has no export winampVisGetHeader";
    if (beforeHeader) beforeHeader(plugin.library);
    if (callback) *callback = "winampVisGetHeader";
    VisHeader* header = getHeader();
    if (callback) *callback = nullptr;
    if (!header) return "winampVisGetHeader returned null";
    JsonLine("header").Int("version", header->version).Str("description", header->description).Write();
    if (header->version != kVisHeaderVersion)
        return "header version " + std::to_string(header->version) + ", expected 256";
    plugin.windowClass = header->description ? header->description : "";
    plugin.module = header->getModule(0);
    if (probe) probe(header, plugin.module);
    if (!plugin.module) return "GetModule(0) returned null";
    plugin.module->parentWindow = parent;
    plugin.module->instance = plugin.library;
    plugin.module->sampleRate = kAnnouncedRate;
    plugin.module->channelCount = kAnnouncedChannels;
    return "";
}

void FreePluginLibrary(PluginLibrary& plugin) {
    if (plugin.library) FreeLibrary(plugin.library);
    plugin = PluginLibrary();
    JsonLine("unloaded").Write();
}
