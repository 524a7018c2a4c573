// Drives the plug-in's configuration dialog for --config: finds it once it is up, logs what it
// shows, and performs the --dialog actions as a user's clicks and typing would (and a run's resizes and keys).
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// Starts watching for the dialog on the calling thread (a thread timer that fires in its modal loop).
// `runWindow`: the plug-in's display window when a run is on, which resize and key actions reach.
void DialogDriverStart(HWND owner, HWND runWindow, const std::vector<std::string>& actions);
void DialogDriverStop();
bool DialogDriverSawDialog();
// 1 when the last ok/cancel action was ok, 2 when cancel, 0 when none was performed.
int DialogDriverEndAction();
// Checks the action list; false with a reason for a malformed action.
bool DialogActionsValid(const std::vector<std::string>& actions, std::string& error);
