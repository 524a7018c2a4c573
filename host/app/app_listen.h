// The app's listening: the one place it reaches the host's capture of what the PC plays, for
// the frames' blocks, the title the plug-in asks for, the gain keys and the choices it remembers.
#pragma once
#include <windows.h>
#include <string>
#include "host/app/app_options.h"
#include "plugin/vis_module.h"

// Sent to the app's window when what its title says has changed (the gain, the microphone notice).
const UINT kAppListenStatusChanged = WM_APP + 0x25;

// Starts capturing: the device of --device, else the one kept in the app's settings file, else the
// default output (loopback; the recording device where loopback is refused), followed when it
// changes; at the gain kept there. A --device is kept for the next start.
void AppListenStart(const AppOptions& options, HWND appWindow);
void AppListenStop();
// Before each Render: the module's spectrum and waveform from the newest samples.
void AppListenFill(VisModule* module);
// The device's name, the title the plug-in shows.
std::string AppListenTitle();
// A key the plug-in passed on: true when it was a gain key (the gain changed and is kept).
bool AppListenGainKey(unsigned virtualKey);
// The app window's title: "Smearscope", the gain when it is not 1, and that the microphone is shown.
std::string AppListenStatus();
