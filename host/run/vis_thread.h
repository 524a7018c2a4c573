// The visualisation thread: Init, the frames and Quit (or Config) as the player calls them, with
// the plug-in window's messages dispatched between calls and the keys and resizes asked for.
#pragma once
#include <windows.h>
#include <string>
#include "plugin/vis_module.h"

// Starts the thread for the library's load number `load`: Config, or the runs --runs asks for.
// `pluginClass` names the plug-in's window class. Null when the thread cannot start.
HANDLE StartVisualisationThread(VisModule* module, const std::string& pluginClass, int load);
// The first failure the thread saw, kExitContractKept when none, with its reason.
int VisualisationFailure(std::string& reason);
// Runs started so far, over every load.
int VisualisationRuns();
