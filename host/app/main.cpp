// smearscope.exe: the plug-in without the player, listening to what the PC plays. A window
// program (no console); entry point only: options in, exit status out.
#include <windows.h>
#include <cstdlib>
#include <string>
#include "host/app/app_console.h"
#include "host/app/app_options.h"
#include "host/app/app_run.h"
#include "host/listen/audio_devices.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    AppOptions options;
    std::string error;
    if (!ParseAppOptions(__argc, __argv, options, error)) {
        TellUser("smearscope: " + error + "\n", true);
        return kAppBadStart;
    }
    if (options.help) {
        TellUser(AppUsage(), false);
        return kAppDone;
    }
    if (options.listDevices) {
        std::string text;
        const bool listed = AudioDevicesReport(text);
        TellUser(text, !listed);
        return listed ? kAppDone : kAppBadStart;
    }
    return RunApp(options);
}
