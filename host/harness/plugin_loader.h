// Loading the plug-in: the library, its header and its module record, checked and logged, with
// the host's hooks in its import table; and freeing it again.
#pragma once
#include <string>
#include "plugin/vis_module.h"

// vis_Smearscope.dll beside the host.
std::string DefaultPluginPath();
// Loads the library into hostState.plugin and reads its header and module record: module 0 and the
// header's description, the plug-in's window class. Nonzero exit status on failure, reason printed.
int LoadPlugin(const std::string& path, VisModule*& module, std::string& pluginClass);
// Frees the library, if one is loaded, and logs that it went.
void UnloadPlugin();
