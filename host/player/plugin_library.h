// Loading a visualisation plug-in as a player does: the library, its export, its header and module
// 0, with the player's window and the library's handle written into the module record.
#pragma once
#include <windows.h>
#include <atomic>
#include <string>
#include "plugin/vis_module.h"

struct PluginLibrary {
    HMODULE library = nullptr;   // set as soon as the library loads, also when a later step fails
    VisModule* module = nullptr;
    std::string windowClass;     // the header's description, the plug-in's window class
};

// vis_Smearscope.dll beside the running program.
std::string PluginBesideProgram();
// Loads `path` and reads its header (logged) and module 0, which gets `parent`, the library's
// instance and the sample format a player announces. `beforeHeader`, when given, runs on the loaded
// library before its first call; `callback` (when given) names the call under way, for crash
// reports; `probe` (when given) sees the header and module 0 (null or not) before module 0 is
// checked. "" or the reason the plug-in cannot run.
std::string LoadPluginLibrary(const std::string& path, HWND parent, PluginLibrary& plugin,
                              void (*beforeHeader)(HMODULE) = nullptr,
                              std::atomic<const char*>* callback = nullptr,
                              void (*probe)(VisHeader*, VisModule*) = nullptr);
// Frees the library, if one is loaded, and logs that it went.
void FreePluginLibrary(PluginLibrary& plugin);
