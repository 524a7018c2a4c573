// The app's command line, one row per option: what it sets and the line --help shows for it.
// Parsing only; the run reads the result.
#include "host/app/app_options.h"
#include "host/base/option_table.h"

namespace {

// Each help on one line from column 22, as the app's --help has always been laid out.
const UsageLayout kUsageLayout = {22, 1, 0};

const OptionRow<AppOptions> kAppOptions[] = {
    {0, "--config", nullptr, "open the plug-in's settings dialog, then end (in a running app: its own)", "",
     [](const std::string&, AppOptions& o) { return o.config = true; }},
    {0, "--fill-screen", nullptr, "start with the picture filling its monitor without a border (F11 leaves)", "",
     [](const std::string&, AppOptions& o) { return o.fillScreen = true; }},
    {0, "--frames", "N", "end after N frames (for scripts and checks)", "a whole number from 1",
     [](const std::string& v, AppOptions& o) { return ParseInt(v, o.frames) && o.frames >= 1; }},
    {0, "--user-folder", "DIR",
     "keep the plug-in's copy, its settings, the app's settings and the log in DIR, not in "
     "%LOCALAPPDATA%\\Smearscope", "",
     [](const std::string& v, AppOptions& o) {
         o.userFolder = v;
         return true;
     }},
    {0, "--log", "PATH", "write the log to PATH, not to smearscope.log in the user folder", "",
     [](const std::string& v, AppOptions& o) {
         o.logPath = v;
         return true;
     }},
    {0, "--device", "NAME|NUMBER",
     "listen to this device (a number, id or name from --list-devices), kept; \"\" the default", "",
     [](const std::string& v, AppOptions& o) {
         o.device = v;
         o.deviceGiven = true;
         return true;
     }},
    {0, "--list-devices", nullptr, "print the sound devices, numbered, the defaults marked, and end", "",
     [](const std::string&, AppOptions& o) { return o.listDevices = true; }},
    {0, "--help", nullptr, "show this text", "", [](const std::string&, AppOptions& o) { return o.help = true; }},
};

}  // namespace

bool ParseAppOptions(int argc, char** argv, AppOptions& options, std::string& error) {
    const OptionFault fault = ParseOptionRows(kAppOptions, argc, argv, options);
    switch (fault.kind) {
    case OptionFault::None: return true;
    case OptionFault::Unknown: error = "unknown option " + fault.option + " (--help lists them)"; break;
    case OptionFault::NoValue: error = fault.option + " needs " + fault.valueName; break;
    case OptionFault::Refused: error = fault.option + " needs " + fault.wants; break;
    }
    return false;
}

std::string AppUsage() {
    std::string text = "smearscope [options]: draws what the PC plays with the Smearscope plug-in.\n\n";
    AppendUsageRows(text, kAppOptions, 0, kUsageLayout);
    text += "\nKeys: the plug-in's (H shows them), M or the menu key opens the app's menu (so does a\n"
            "right click on its notification icon), Esc ends, F11 fills the monitor and back,\n"
            "+ and - change the gain in 3 dB steps (shown in the title; kept), 0 puts it back to 1.\n"
            "One app runs per user folder: a second start brings its picture forward.\n"
            "Exit status: 0 done, 1 bad options or no user folder, 2 the plug-in did not load or did not start.\n";
    return text;
}
