// The host bench's command line: what to load, how long to run, what to feed and what to record.
// Parsing only; the run loop reads the result.
#pragma once
#include <string>
#include <vector>
#include "host/base/option_table.h"
#include "host/playback/synthetic_spectrum.h"
#include "host/run/soak.h"
#include "host/run/window_moves.h"

struct KeyPress {
    int frame;
    unsigned virtualKey;
};

struct Resize {
    int frame;
    int width, height;
};

struct FailRule {
    std::string function;
    int nthCall;  // 1-based
};

struct HostOptions {
    std::string pluginPath;          // empty: vis_Smearscope.dll beside the host
    int frames = 0;                  // 0: until Render returns 1 or the host window closes
    std::string stopFile;            // --stop-file: the run also ends once this file exists
    bool notPlaying = false;
    SpectrumKind spectrum = SpectrumKind::Demo;
    int spectrumValue = 0;           // for SpectrumKind::Constant
    bool spectrumGiven = false;      // --spectrum: the synthetic signal instead of the player's
    std::vector<std::string> audioPaths;  // the playlist; empty: the built-in demo track
    bool listen = false;             // --listen: capture a device instead of playing
    bool listenInput = false;        // --listen input: the recording device, not the output
    std::string device;              // --device: a number, id or name; empty: the default, followed
    bool listDevices = false;        // --list-devices: print them and exit
    std::string listenSettingsPath;  // --listen-settings: the device and gain kept between runs
    std::string title = "Smearscope demo";
    bool titleGiven = false;
    bool nullTitle = false;
    std::vector<KeyPress> keys;
    std::vector<Resize> resizes;
    std::vector<Move> moves;
    std::string captureDir;
    std::vector<std::pair<int, int>> captureFrames;  // inclusive ranges; empty: every frame
    std::string capturePassesDir;    // --capture-passes: the colour buffer at each accumulation
    bool config = false;
    std::vector<std::string> dialogActions;
    std::vector<FailRule> failures;
    bool noPause = false;
    int clockStepMs = 0;             // --clock-step: 0 keeps the real clock
    std::string logPath;
    unsigned quirks = 0;             // kQuirk* bits of host/harness/quirk_names.h
    bool bench = false;              // print timing, memory and resource figures after the run
    std::string benchJsonPath;       // and write them here as JSON
    bool help = false;
    SoakOptions soak;
};

// Parses argv; on a malformed option returns false with a one-line reason in error.
bool ParseHostOptions(int argc, char** argv, HostOptions& options, std::string& error);
bool CaptureWanted(const HostOptions& options, int frame);
// Whether --capture-frames lists the frame (every frame when it is not given).
bool FrameListed(const HostOptions& options, int frame);
// The virtual-key code for a key name of --keys, or 0 when the name is unknown.
unsigned KeyNameToVirtualKey(const std::string& name);
// The --help text: every option with its help, and the exit statuses.
std::string HostUsage();
