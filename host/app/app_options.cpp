// The app's command line, one row per option: what it sets and the line --help shows for it.
// Parsing only; the run reads the result.
#include "host/app/app_options.h"
#include <cstdlib>

namespace {

struct AppOption {
    const char* name;
    const char* value;  // the value's name in --help, null for a switch
    const char* help;
    // Applies the option (value is null for a switch); false with a reason in error.
    bool (*apply)(AppOptions& options, const char* value, std::string& error);
};

bool ParseCount(const char* text, int& value) {
    char* end = nullptr;
    long number = std::strtol(text, &end, 10);
    if (!*text || *end || number < 1 || number > 1000000000L) return false;
    value = (int)number;
    return true;
}

const AppOption kAppOptions[] = {
    {"--config", nullptr, "open the plug-in's settings dialog, then end (in a running app: its own)",
     [](AppOptions& o, const char*, std::string&) { return o.config = true; }},
    {"--fill-screen", nullptr, "start with the picture filling its monitor without a border (F11 leaves)",
     [](AppOptions& o, const char*, std::string&) { return o.fillScreen = true; }},
    {"--frames", "N", "end after N frames (for scripts and checks)",
     [](AppOptions& o, const char* v, std::string& e) {
         if (ParseCount(v, o.frames)) return true;
         e = "--frames needs a whole number from 1";
         return false;
     }},
    {"--user-folder", "DIR",
     "keep the plug-in's copy, its settings, the app's settings and the log in DIR, not in "
     "%LOCALAPPDATA%\\Smearscope",
     [](AppOptions& o, const char* v, std::string&) {
         o.userFolder = v;
         return true;
     }},
    {"--log", "PATH", "write the log to PATH, not to smearscope.log in the user folder",
     [](AppOptions& o, const char* v, std::string&) {
         o.logPath = v;
         return true;
     }},
    {"--device", "NAME|NUMBER",
     "listen to this device (a number, id or name from --list-devices), kept; \"\" the default",
     [](AppOptions& o, const char* v, std::string&) {
         o.device = v;
         o.deviceGiven = true;
         return true;
     }},
    {"--list-devices", nullptr, "print the sound devices, numbered, the defaults marked, and end",
     [](AppOptions& o, const char*, std::string&) { return o.listDevices = true; }},
    {"--help", nullptr, "show this text", [](AppOptions& o, const char*, std::string&) { return o.help = true; }},
};

}  // namespace

bool ParseAppOptions(int argc, char** argv, AppOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const AppOption* found = nullptr;
        for (const AppOption& option : kAppOptions)
            if (argument == option.name) found = &option;
        if (!found) {
            error = "unknown option " + argument + " (--help lists them)";
            return false;
        }
        const char* value = nullptr;
        if (found->value) {
            if (i + 1 >= argc) {
                error = argument + " needs " + found->value;
                return false;
            }
            value = argv[++i];
        }
        if (!found->apply(options, value, error)) return false;
    }
    return true;
}

std::string AppUsage() {
    std::string text = "smearscope [options]: draws what the PC plays with the Smearscope plug-in.\n\n";
    for (const AppOption& option : kAppOptions) {
        std::string left = std::string("  ") + option.name + (option.value ? std::string(" ") + option.value : "");
        left.resize(left.size() < 22 ? 22 : left.size() + 1, ' ');
        text += left + option.help + "\n";
    }
    text += "\nKeys: the plug-in's (H shows them), M or the menu key opens the app's menu (so does a\n"
            "right click on its notification icon), Esc ends, F11 fills the monitor and back,\n"
            "+ and - change the gain in 3 dB steps (shown in the title; kept), 0 puts it back to 1.\n"
            "One app runs per user folder: a second start brings its picture forward.\n"
            "Exit status: 0 done, 1 bad options or no user folder, 2 the plug-in did not load or did not start.\n";
    return text;
}
