// The app's listening: the one place it reaches the host's capture of what the PC plays, for
// the frames' blocks and the title the plug-in asks for.
#pragma once
#include <string>
#include "host/app/app_options.h"
#include "plugin/vis_module.h"

// Starts capturing the default output (loopback; the recording device where loopback is refused).
// The listening choices, once stored, live in AppSettingsPath(user folder).
void AppListenStart(const AppOptions& options);
void AppListenStop();
// Before each Render: the module's spectrum and waveform from the newest samples.
void AppListenFill(VisModule* module);
// The device's name, the title the plug-in shows.
std::string AppListenTitle();
