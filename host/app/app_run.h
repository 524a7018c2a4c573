// One start of the app: the user folder and the plug-in's copy, the app's window, the plug-in
// loaded and run on a visualisation thread while the main thread answers it, and the exit status.
#pragma once
#include "host/app/app_options.h"

enum AppExitStatus : int {
    kAppDone = 0,            // the user ended it, or --frames were drawn
    kAppBadStart = 1,        // bad options, or no user folder to work in
    kAppPluginFailed = 2,    // the plug-in did not load, or its start failed (it said why in a box)
};

int RunApp(const AppOptions& options);
