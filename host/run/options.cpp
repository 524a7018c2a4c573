// The host bench's command line: what to load, how long to run, what to feed and what to record.
// One table of options drives the parser and --help; malformed values are refused with a reason.
#include "host/run/options.h"
#include <windows.h>
#include <cctype>
#include <sstream>
#include "host/harness/quirk_names.h"

namespace {

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::string item;
    std::istringstream stream(text);
    while (std::getline(stream, item, separator))
        if (!item.empty()) items.push_back(item);
    return items;
}

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
    return !options.captureDir.empty() && FrameListed(options, frame);
}

bool FrameListed(const HostOptions& options, int frame) {
    if (options.captureFrames.empty()) return true;
    for (const auto& range : options.captureFrames)
        if (frame >= range.first && frame <= range.second) return true;
    return false;
}

namespace {

enum class OptionGroup { Run, Drill };

// The parser, --help and the README's option table all follow these rows.
const OptionRow<HostOptions, OptionGroup> kOptionRows[] = {
    {OptionGroup::Run, "--plugin", "PATH", "the plug-in DLL (default vis_Smearscope.dll beside the host)", "",
     [](const std::string& text, HostOptions& options) { options.pluginPath = text; return true; }},
    {OptionGroup::Run, "--frames", "N",
     "end the run after N Render calls (default: until Render returns 1\nor the host window closes)",
     "a positive number",
     [](const std::string& text, HostOptions& options) {
         return ParseInt(text, options.frames) && options.frames >= 1;
     }},
    {OptionGroup::Run, "--stop-file", "PATH",
     "end the run, as when the host window closes, once PATH exists (checked\n"
     "after each frame): a test ends an open-ended run on an event it saw", "",
     [](const std::string& text, HostOptions& options) { options.stopFile = text; return true; }},
    {OptionGroup::Run, "--not-playing", nullptr, "answer the is-playing query with 0", "",
     [](const std::string&, HostOptions& options) { options.notPlaying = true; return true; }},
    {OptionGroup::Run, "--audio", "PATH",
     "a WAV file to play (PCM 8, 16, 24 bit or 32-bit float, mono or stereo);\n"
     "repeatable, a playlist in order; a file that cannot be read gets a\n"
     "one-line error and the rest play. Without it the built-in demo track\n"
     "loops. SPACE pauses, LEFT and RIGHT seek 5 s", "",
     [](const std::string& text, HostOptions& options) { options.audioPaths.push_back(text); return true; }},
    {OptionGroup::Run, "--listen", "[output|input]",
     "draw what the PC plays (output, the default: the default output device,\n"
     "or the default recording device where it cannot be captured) or what\n"
     "the default recording device hears (input), instead of playing",
     "output or input",
     [](const std::string& text, HostOptions& options) {
         options.listen = true;
         options.listenInput = text == "input";
         return text.empty() || text == "output" || text == "input";
     }},
    {OptionGroup::Run, "--device", "NAME|NUMBER",
     "listen to this device (implies --listen): its number or id from\n"
     "--list-devices, its name or a part of one name (any case). An output is\n"
     "captured through loopback, an input recorded. Without it the default\n"
     "device is listened to and followed when it changes", "a device's number, id or name",
     [](const std::string& text, HostOptions& options) {
         options.listen = true;
         options.device = text;
         return !text.empty();
     }},
    {OptionGroup::Run, "--list-devices", nullptr,
     "print the output and input devices, numbered, with their ids and the\ndefaults marked, and exit", "",
     [](const std::string&, HostOptions& options) { options.listDevices = true; return true; }},
    {OptionGroup::Run, "--listen-settings", "PATH",
     "with --listen: start on the device and gain kept in PATH (an INI file;\n"
     "--device goes first), and keep the gain there when a key changes it.\n"
     "While listening + and - change the gain in 3 dB steps (1/8 to 16), 0\n"
     "resets it", "",
     [](const std::string& text, HostOptions& options) { options.listenSettingsPath = text; return true; }},
    {OptionGroup::Run, "--spectrum", "KIND",
     "feed a synthetic signal instead of the player's: const:B (every bin\n"
     "B), ramp, random or demo (a signal with a beat)",
     "const:0..255, ramp, random or demo",
     [](const std::string& text, HostOptions& options) {
         options.spectrumGiven = true;
         if (text == "demo") options.spectrum = SpectrumKind::Demo;
         else if (text == "ramp") options.spectrum = SpectrumKind::Ramp;
         else if (text == "random") options.spectrum = SpectrumKind::Random;
         else if (text.rfind("const:", 0) == 0 && ParseInt(text.substr(6), options.spectrumValue) &&
                  options.spectrumValue >= 0 && options.spectrumValue <= 255)
             options.spectrum = SpectrumKind::Constant;
         else
             return false;
         return true;
     }},
    {OptionGroup::Run, "--title", "TEXT",
     "the playlist title the host reports (default: each WAV file's name\n"
     "without folder and extension; \"Smearscope demo\" for the demo track\n"
     "and for a --spectrum signal without --audio)", "",
     [](const std::string& text, HostOptions& options) {
         options.title = text;
         options.titleGiven = true;
         return true;
     }},
    {OptionGroup::Run, "--null-title", nullptr, "report a null title", "",
     [](const std::string&, HostOptions& options) { options.nullTitle = true; return true; }},
    {OptionGroup::Run, "--keys", "LIST",
     "FRAME:KEY,... posted as WM_KEYDOWN before that frame; KEY is a letter,\n"
     "ESC, SPACE, LEFT, RIGHT, UP, DOWN or a decimal virtual-key code", "FRAME:KEY items",
     [](const std::string& text, HostOptions& options) { return ParseKeys(text, options.keys); }},
    {OptionGroup::Run, "--resize", "LIST", "FRAME:WxH,... sets the plug-in window's client size before that frame",
     "FRAME:WxH items",
     [](const std::string& text, HostOptions& options) { return ParseResizes(text, options.resizes); }},
    {OptionGroup::Run, "--move", "LIST",
     "FRAME:X,Y;... moves the plug-in window's top-left corner before that frame",
     "FRAME:X,Y items separated by ';'",
     [](const std::string& text, HostOptions& options) { return ParseMoves(text, options.moves); }},
    {OptionGroup::Run, "--capture", "DIR", "write presented frames as DIR/frame-NNNNN.png", "",
     [](const std::string& text, HostOptions& options) { options.captureDir = text; return true; }},
    {OptionGroup::Run, "--capture-frames", "LIST", "which frames --capture writes, e.g. 1,5,10-12 (default every\nframe); needs --capture DIR",
     "frame numbers and ranges like 1,5,10-12",
     [](const std::string& text, HostOptions& options) { return ParseFrameRanges(text, options.captureFrames); }},
    {OptionGroup::Run, "--capture-passes", "DIR",
     "write the colour buffer at each of the blur's accumulations as\n"
     "DIR/frame-NNNNN-pass-K.png (with --quirk vendor-gl; the frames\n"
     "--capture-frames lists, default every frame)", "",
     [](const std::string& text, HostOptions& options) { options.capturePassesDir = text; return true; }},
    {OptionGroup::Run, "--config", nullptr, "call Config instead of a run", "",
     [](const std::string&, HostOptions& options) { options.config = true; return true; }},
    {OptionGroup::Run, "--dialog", "ACTIONS",
     "with --config: check:ID, uncheck:ID, set:ID=TEXT, ok, cancel, in order\n"
     "(without it the dialog is left to the user); during a run (--call-order\n"
     "config-during-run) also resize:WxH and key:KEY, to the plug-in's window", "",
     [](const std::string& text, HostOptions& options) {
         options.dialogActions = SplitList(text, ',');
         return true;
     }},
    {OptionGroup::Run, "--fail", "NAME[:N]",
     "make the N-th call (default 1st) of NAME fail; repeatable. NAME is one of\n"
     "RegisterClassExA ChangeDisplaySettingsA CreateWindowExA GetDC\n"
     "ChoosePixelFormat SetPixelFormat wglCreateContext wglMakeCurrent\n"
     "wglDeleteContext ReleaseDC DestroyWindow UnregisterClassA",
     "NAME[:N] with a supported function name",
     [](const std::string& text, HostOptions& options) { return ParseFailure(text, options.failures); }},
    {OptionGroup::Run, "--no-pause", nullptr, "skip the plug-in's Sleep calls (the pause is still recorded)", "",
     [](const std::string&, HostOptions& options) { options.noPause = true; return true; }},
    {OptionGroup::Run, "--clock-step", "MS",
     "the plug-in's tick count and the play position come from a clock that\n"
     "starts at a fixed value and advances MS ms at each Render: two runs\n"
     "with the same options present identical frames",
     "a positive number of milliseconds",
     [](const std::string& text, HostOptions& options) {
         return ParseInt(text, options.clockStepMs) && options.clockStepMs > 0;
     }},
    {OptionGroup::Run, "--quirk", "NAME",
     "behave as other hosts or drivers do; repeatable. config-before-init (Config\n"
     "before Init; its dialog gets the --dialog actions, else cancel),\n"
     "render-thread (Render from a second thread), silent-playlist (position\n"
     "0, title null), destroy-before-quit (the host window goes before Quit),\n"
     "ignore-result (Render goes on after it returned 1; needs --frames N),\n"
     "no-rate (sample rate and channels 0 during Init),\n"
     "swap-exchange (the back buffer holds noise after each swap),\n"
     "software-accum (every pixel format with accumulation is the system's\n"
     "software renderer), mixed-accum (all but the last such format are),\n"
     "no-16bit-modes (as in a host with a Windows 8 manifest, no display mode\n"
     "below 32 bits is listed or taken), timer-thread (Init on a thread of its\n"
     "own that pumps messages, Render from a multimedia timer under a lock;\n"
     "--frames counts frames drawn), timer-before-init (timer-thread with the\n"
     "timer started before Init), no-accum (no pixel format has an\n"
     "accumulation buffer), vendor-gl (glGetString answers as a vendor's\n"
     "driver), coarse-subpixel (GL_SUBPIXEL_BITS answers 4), size-only-modes\n"
     "(a display mode request naming a depth or a refresh rate is refused),\n"
     "software-chosen (as software-accum, and ChoosePixelFormat answers the\n"
     "first such format that fits the request), proxy-refuses (a proxy\n"
     "texture reports its size refused)",
     "config-before-init, render-thread, silent-playlist, destroy-before-quit, ignore-result, no-rate, "
     "swap-exchange, software-accum, mixed-accum, no-16bit-modes, timer-thread, timer-before-init, "
     "no-accum, vendor-gl, coarse-subpixel, size-only-modes, software-chosen or proxy-refuses",
     [](const std::string& text, HostOptions& options) {
         options.quirks |= QuirkFromName(text);
         return QuirkFromName(text) != 0;
     }},
    {OptionGroup::Run, "--log", "PATH",
     "write one JSON object per line for every call, query, key, frame and\nplayer event the host saw", "",
     [](const std::string& text, HostOptions& options) { options.logPath = text; return true; }},
    {OptionGroup::Run, "--bench", nullptr,
     "after the run, print frames, frames per second, the pause and the rest\n"
     "of each Render (median, 95th percentile, maximum), the plug-in's heap\n"
     "allocations, its OpenGL calls per Render (every opengl32 import\n"
     "counted) and the most called, peak memory, GDI, USER and handle\n"
     "counts before and after, the processor time per frame over all threads,\n"
     "and the OpenGL vendor, renderer and version", "",
     [](const std::string&, HostOptions& options) { options.bench = true; return true; }},
    {OptionGroup::Run, "--bench-json", "PATH", "the same figures as one JSON object (implies --bench)", "",
     [](const std::string& text, HostOptions& options) {
         options.benchJsonPath = text;
         options.bench = true;
         return true;
     }},
    {OptionGroup::Run, "--help", nullptr, "this option list; -h does the same", "",
     [](const std::string&, HostOptions& options) { options.help = true; return true; }},

    {OptionGroup::Drill, "--runs", "N", "N visualisation runs (Init, frames, Quit) per load", "a positive number",
     [](const std::string& text, HostOptions& options) { return ParseCount(text, options.soak.runs, 1); }},
    {OptionGroup::Drill, "--reloads", "N",
     "load, run and free the library N times\n(both log resource counts after each run and each unload)",
     "a positive number",
     [](const std::string& text, HostOptions& options) { return ParseCount(text, options.soak.reloads, 1); }},
    {OptionGroup::Drill, "--title-file", "PATH", "the title's bytes come from PATH (up to its first NUL)", "",
     [](const std::string& text, HostOptions& options) { options.soak.titleFile = text; return true; }},
    {OptionGroup::Drill, "--title-changes", nullptr, "a different title, of a different length, every frame", "",
     [](const std::string&, HostOptions& options) { options.soak.titleChanges = true; return true; }},
    {OptionGroup::Drill, "--playing-flap", nullptr, "answer is-playing 1 and 0 on alternate frames", "",
     [](const std::string&, HostOptions& options) { options.soak.playingFlap = true; return true; }},
    {OptionGroup::Drill, "--random-keys", "N",
     "N key-downs over every code but Escape, 100 a frame from frame 2", "a count",
     [](const std::string& text, HostOptions& options) { return ParseCount(text, options.soak.randomKeys, 0); }},
    {OptionGroup::Drill, "--key-storm", "KEY:N",
     "KEY held: N key-downs with the repeat bit, in one frame; repeatable", "KEY:COUNT",
     [](const std::string& text, HostOptions& options) {
         size_t colon = text.find(':');
         KeyStorm storm{colon == std::string::npos ? 0u : KeyNameToVirtualKey(text.substr(0, colon)), 0};
         if (storm.virtualKey == 0 || !ParseCount(text.substr(colon + 1), storm.count, 1)) return false;
         options.soak.keyStorms.push_back(storm);
         return true;
     }},
    {OptionGroup::Drill, "--resize-storm", "N",
     "N quick random resizes (0 to 1600 pixels), 50 a frame from frame 2", "a count",
     [](const std::string& text, HostOptions& options) { return ParseCount(text, options.soak.resizeStorm, 0); }},
    {OptionGroup::Drill, "--handoff-key", "FRAME:KEY",
     "with render-thread or timer-thread: KEY reaches the plug-in's window\n"
     "while that frame is being handed to it, before the frame", "FRAME:KEY",
     [](const std::string& text, HostOptions& options) {
         std::vector<KeyPress> keys;
         if (!ParseKeys(text, keys) || keys.size() != 1) return false;
         options.soak.handoffKeyFrame = keys[0].frame;
         options.soak.handoffKey = keys[0].virtualKey;
         return true;
     }},
    {OptionGroup::Drill, "--call-order", "NAME",
     "render-after-quit, quit-without-init, init-twice or config-during-run",
     "render-after-quit, quit-without-init, init-twice or config-during-run",
     [](const std::string& text, HostOptions& options) {
         CallOrder& order = options.soak.callOrder;
         if (text == "render-after-quit") order = CallOrder::RenderAfterQuit;
         else if (text == "quit-without-init") order = CallOrder::QuitWithoutInit;
         else if (text == "init-twice") order = CallOrder::InitTwice;
         else if (text == "config-during-run") order = CallOrder::ConfigDuringRun;
         else return false;
         return true;
     }},
};

// The help from column 25, flowed to 96 columns: a terminal of 100 never wraps it mid-word.
const UsageLayout kUsageLayout = {25, 2, 96};

std::string Spelled(const std::string& argument) {
    return argument == "-h" ? "--help" : argument;  // the short form most tools take
}

}  // namespace

bool ParseHostOptions(int argc, char** argv, HostOptions& options, std::string& error) {
    const OptionFault fault = ParseOptionRows(kOptionRows, argc, argv, options, Spelled);
    switch (fault.kind) {
    case OptionFault::None: break;
    case OptionFault::Unknown: error = "unknown option " + fault.option + " (see --help)"; return false;
    case OptionFault::NoValue: error = fault.option + " needs a value"; return false;
    case OptionFault::Refused: error = fault.option + " wants " + fault.wants + ", got " + fault.value; return false;
    }
    if (options.listen && !options.audioPaths.empty()) {
        error = "--listen and --audio exclude each other";
        return false;
    }
    if (!options.captureFrames.empty() && options.captureDir.empty() && options.capturePassesDir.empty()) {
        error = "--capture-frames needs --capture DIR";
        return false;
    }
    return true;
}

std::string HostUsage() {
    std::string text =
        "smearscope-host: runs a visualisation plug-in as the player does and records what it does.\n"
        "Options:\n";
    AppendUsageRows(text, kOptionRows, OptionGroup::Run, kUsageLayout);
    text +=
        "Exit status: 0 when the plug-in kept its contract; 1 bad options; 2 load or contract failure;\n"
        "3 crash in the plug-in; 4 the configuration dialog did not appear;\n"
        "5 a capture could not be written.\n"
        "Reliability drills:\n";
    AppendUsageRows(text, kOptionRows, OptionGroup::Drill, kUsageLayout);
    return text;
}
