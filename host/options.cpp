// The host bench's command line: what to load, how long to run, what to feed and what to record.
// Every option is optional; malformed values are refused with a reason rather than guessed at.
#include "host/options.h"
#include <windows.h>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include "host/quirks.h"

namespace {

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::string item;
    std::istringstream stream(text);
    while (std::getline(stream, item, separator))
        if (!item.empty()) items.push_back(item);
    return items;
}

}  // namespace

bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0') return false;
    value = (int)parsed;
    return true;
}

namespace {

bool ParseFrameRanges(const std::string& text, std::vector<std::pair<int, int>>& ranges) {
    for (const std::string& item : SplitList(text, ',')) {
        size_t dash = item.find('-');
        int first = 0, last = 0;
        if (dash == std::string::npos) {
            if (!ParseInt(item, first)) return false;
            last = first;
        } else if (!ParseInt(item.substr(0, dash), first) || !ParseInt(item.substr(dash + 1), last)) {
            return false;
        }
        if (first < 1 || last < first) return false;
        ranges.push_back({first, last});
    }
    return !ranges.empty();
}

bool ParseKeys(const std::string& text, std::vector<KeyPress>& keys) {
    for (const std::string& item : SplitList(text, ',')) {
        size_t colon = item.find(':');
        KeyPress press;
        if (colon == std::string::npos || !ParseInt(item.substr(0, colon), press.frame) || press.frame < 1)
            return false;
        press.virtualKey = KeyNameToVirtualKey(item.substr(colon + 1));
        if (press.virtualKey == 0) return false;
        keys.push_back(press);
    }
    return true;
}

bool ParseResizes(const std::string& text, std::vector<Resize>& resizes) {
    for (const std::string& item : SplitList(text, ',')) {
        size_t colon = item.find(':'), cross = item.find('x', colon);
        Resize resize;
        if (colon == std::string::npos || cross == std::string::npos) return false;
        if (!ParseInt(item.substr(0, colon), resize.frame) ||
            !ParseInt(item.substr(colon + 1, cross - colon - 1), resize.width) ||
            !ParseInt(item.substr(cross + 1), resize.height))
            return false;
        if (resize.frame < 1 || resize.width < 0 || resize.height < 0) return false;
        resizes.push_back(resize);
    }
    return true;
}

bool ParseFailure(const std::string& text, std::vector<FailRule>& failures) {
    size_t colon = text.find(':');
    FailRule rule{text.substr(0, colon), 1};
    if (colon != std::string::npos && (!ParseInt(text.substr(colon + 1), rule.nthCall) || rule.nthCall < 1))
        return false;
    static const char* const known[] = {
        "RegisterClassExA", "ChangeDisplaySettingsA", "CreateWindowExA", "GetDC", "ChoosePixelFormat",
        "SetPixelFormat", "wglCreateContext", "wglMakeCurrent", "wglDeleteContext", "ReleaseDC",
        "DestroyWindow", "UnregisterClassA"};
    for (const char* name : known)
        if (rule.function == name) {
            failures.push_back(rule);
            return true;
        }
    return false;
}

}  // namespace

unsigned KeyNameToVirtualKey(const std::string& name) {
    if (name.size() == 1 && std::isalpha((unsigned char)name[0])) return (unsigned)std::toupper(name[0]);
    if (name == "ESC") return VK_ESCAPE;
    if (name == "SPACE") return VK_SPACE;
    if (name == "LEFT") return VK_LEFT;
    if (name == "RIGHT") return VK_RIGHT;
    if (name == "UP") return VK_UP;
    if (name == "DOWN") return VK_DOWN;
    int code;
    if (ParseInt(name, code) && code > 0 && code < 256) return (unsigned)code;
    return 0;
}

bool CaptureWanted(const HostOptions& options, int frame) {
    if (options.captureDir.empty()) return false;
    if (options.captureFrames.empty()) return true;
    for (const auto& range : options.captureFrames)
        if (frame >= range.first && frame <= range.second) return true;
    return false;
}

bool ParseHostOptions(int argc, char** argv, HostOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = option + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--plugin") {
            if (!value(options.pluginPath)) return false;
        } else if (option == "--frames") {
            if (!value(text)) return false;
            if (!ParseInt(text, options.frames) || options.frames < 1) {
                error = "--frames wants a positive number, got " + text;
                return false;
            }
        } else if (option == "--not-playing") {
            options.notPlaying = true;
        } else if (option == "--spectrum") {
            if (!value(text)) return false;
            options.spectrumGiven = true;
            if (text == "demo") options.spectrum = SpectrumKind::Demo;
            else if (text == "ramp") options.spectrum = SpectrumKind::Ramp;
            else if (text == "random") options.spectrum = SpectrumKind::Random;
            else if (text.rfind("const:", 0) == 0 && ParseInt(text.substr(6), options.spectrumValue) &&
                     options.spectrumValue >= 0 && options.spectrumValue <= 255)
                options.spectrum = SpectrumKind::Constant;
            else {
                error = "--spectrum wants const:0..255, ramp, random or demo, got " + text;
                return false;
            }
        } else if (option == "--title") {
            if (!value(options.title)) return false;
            options.titleGiven = true;
        } else if (option == "--audio") {
            if (!value(text)) return false;
            options.audioPaths.push_back(text);
        } else if (option == "--bench") {
            options.bench = true;
        } else if (option == "--bench-json") {
            if (!value(options.benchJsonPath)) return false;
            options.bench = true;
        } else if (option == "--null-title") {
            options.nullTitle = true;
        } else if (option == "--keys") {
            if (!value(text)) return false;
            if (!ParseKeys(text, options.keys)) {
                error = "--keys wants FRAME:KEY items, got " + text;
                return false;
            }
        } else if (option == "--resize") {
            if (!value(text)) return false;
            if (!ParseResizes(text, options.resizes)) {
                error = "--resize wants FRAME:WxH items, got " + text;
                return false;
            }
        } else if (option == "--move") {
            if (!value(text)) return false;
            if (!ParseMoves(text, options.moves)) {
                error = "--move wants FRAME:X,Y items separated by ';', got " + text;
                return false;
            }
        } else if (option == "--capture") {
            if (!value(options.captureDir)) return false;
        } else if (option == "--capture-frames") {
            if (!value(text)) return false;
            if (!ParseFrameRanges(text, options.captureFrames)) {
                error = "--capture-frames wants frame numbers and ranges like 1,5,10-12, got " + text;
                return false;
            }
        } else if (option == "--config") {
            options.config = true;
        } else if (option == "--dialog") {
            if (!value(text)) return false;
            options.dialogActions = SplitList(text, ',');
        } else if (option == "--fail") {
            if (!value(text)) return false;
            if (!ParseFailure(text, options.failures)) {
                error = "--fail wants NAME[:N] with a supported function name, got " + text;
                return false;
            }
        } else if (option == "--no-pause") {
            options.noPause = true;
        } else if (option == "--clock-step") {
            if (!value(text)) return false;
            if (!ParseInt(text, options.clockStepMs) || options.clockStepMs <= 0) {
                error = "--clock-step wants a positive number of milliseconds, got " + text;
                return false;
            }
        } else if (option == "--quirk") {
            if (!value(text)) return false;
            if (!QuirkFromName(text)) {
                error = "--quirk wants config-before-init, render-thread, silent-playlist, destroy-before-quit,"
                        " ignore-result, no-rate, swap-exchange, software-accum or mixed-accum, got " + text;
                return false;
            }
            options.quirks |= QuirkFromName(text);
        } else if (option == "--log") {
            if (!value(options.logPath)) return false;
        } else {
            bool handled = false;
            if (!ParseSoakOption(option, value, options.soak, handled, error)) return false;
            if (!handled) {
                error = "unknown option " + option + " (see --help)";
                return false;
            }
        }
    }
    if (!options.captureFrames.empty() && options.captureDir.empty()) {
        error = "--capture-frames needs --capture DIR";
        return false;
    }
    return true;
}

const char* HostUsage() {
    return
        "smearscope-host: runs a visualisation plug-in as the player does and records what it does.\n"
        "Options:\n"
        "  --plugin PATH          the plug-in DLL (default vis_Smearscope.dll beside the host)\n"
        "  --frames N             end the run after N Render calls (default: until Render returns 1\n"
        "                         or the host window closes)\n"
        "  --not-playing          answer the is-playing query with 0\n"
        "  --audio PATH           a WAV file to play (PCM 8, 16, 24 bit or 32-bit float, mono or stereo);\n"
        "                         repeatable, a playlist in order. Without it the built-in demo track\n"
        "                         loops. SPACE pauses, LEFT and RIGHT seek 5 s\n"
        "  --spectrum KIND        feed a synthetic signal instead of the player's: const:B | ramp |\n"
        "                         random | demo (a signal with a beat)\n"
        "  --title TEXT           the playlist title the host reports (default: the file name, or\n"
        "                         \"Smearscope demo\")\n"
        "  --null-title           report a null title\n"
        "  --keys LIST            FRAME:KEY,... posted as WM_KEYDOWN before that frame; KEY is a letter,\n"
        "                         ESC, SPACE, LEFT, RIGHT, UP, DOWN or a decimal virtual-key code\n"
        "  --resize LIST          FRAME:WxH,... sets the plug-in window's client size before that frame\n"
        "  --move LIST            FRAME:X,Y;... moves the plug-in window's top-left corner before that frame\n"
        "  --capture DIR          write presented frames as DIR/frame-NNNNN.png\n"
        "  --capture-frames LIST  which frames to capture, e.g. 1,5,10-12 (default every frame)\n"
        "  --config               call Config instead of a run\n"
        "  --dialog ACTIONS       with --config: check:ID, uncheck:ID, set:ID=TEXT, ok, cancel, in order\n"
        "                         (without it the dialog is left to the user)\n"
        "  --fail NAME[:N]        make the N-th call (default 1st) of NAME fail; repeatable. NAME is one of\n"
        "                         RegisterClassExA ChangeDisplaySettingsA CreateWindowExA GetDC\n"
        "                         ChoosePixelFormat SetPixelFormat wglCreateContext wglMakeCurrent\n"
        "                         wglDeleteContext ReleaseDC DestroyWindow UnregisterClassA\n"
        "  --no-pause             skip the plug-in's Sleep calls (the pause is still recorded)\n"
        "  --clock-step MS        the plug-in's tick count and the play position come from a clock that\n"
        "                         starts at a fixed value and advances MS ms at each Render\n"
        "  --quirk NAME           behave as other hosts do; repeatable. config-before-init (Config\n"
        "                         before Init; its dialog gets the --dialog actions, else cancel), render-thread (Render from a second thread),\n"
        "                         silent-playlist (position 0, title null), destroy-before-quit (the host\n"
        "                         window goes before Quit), ignore-result (Render goes on after 1; needs\n"
        "                         --frames), no-rate (sample rate and channels 0 during Init),\n"
        "                         swap-exchange (the back buffer holds noise after each swap),\n"
        "                         software-accum (every pixel format with accumulation is the system's\n"
        "                         software renderer), mixed-accum (all but the last such format are)\n"
        "  --log PATH             write one JSON object per line for everything the host saw\n"
        "  --bench                print frames, frames per second, pause and work per Render, peak\n"
        "                         memory and GDI, USER and handle counts after the run\n"
        "  --bench-json PATH      the same figures as JSON (implies --bench)\n"
        "  --help                 this text\n"
        "Exit status: 0 when the plug-in kept its contract; 1 bad options; 2 load or contract failure;\n"
        "3 crash in the plug-in; 4 the configuration dialog did not appear; 5 a capture could not be written.\n";
}
