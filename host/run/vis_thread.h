// The visualisation thread: the player's loop with the bench's keys, resizes and drills, the quirk
// families' own drivers where they call the plug-in otherwise, or Config alone.
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
