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
        if (!AudioDevicesReport(text)) {
            TellUser("smearscope: " + text + "\n", true);
            return kAppBadStart;
        }
        TellUser(text + "--device takes a number, an id or a name (or a unique part of one) and keeps it for the\n"
                        "next start; --device \"\" goes back to the default output, which is then followed when\n"
                        "it changes. An output device is captured through loopback; where that is refused, its\n"
                        "monitor or the default recording device is recorded instead.\n",
                 false);
        return kAppDone;
    }
    return RunApp(options);
}
