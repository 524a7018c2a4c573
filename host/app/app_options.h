// The app's command line, one row per option: what it sets and the line --help shows for it.
// Parsing only; the run reads the result.
#pragma once
#include <string>

struct AppOptions {
    bool config = false;        // --config: the plug-in's settings dialog, then end
    bool fillScreen = false;    // --fill-screen: start with the picture filling its monitor
    int frames = 0;             // --frames N: end after N frames (0: until the user ends it)
    std::string userFolder;     // --user-folder DIR: instead of %LOCALAPPDATA%\Smearscope
    std::string logPath;        // --log PATH: instead of smearscope.log in the user folder
    std::string device;         // --device NAME|NUMBER: listen to this device (kept for next time)
    bool deviceGiven = false;   // --device "" chooses the default device again
    bool listDevices = false;   // --list-devices: print the devices on the starter's console, then end
    bool help = false;
};

// Parses argv; on a malformed option returns false with a one-line reason in error.
bool ParseAppOptions(int argc, char** argv, AppOptions& options, std::string& error);
// The --help text: every option with its help, the keys and the exit statuses.
std::string AppUsage();
