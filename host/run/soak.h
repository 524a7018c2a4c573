// Reliability drills for the host bench: repeated runs and reloads with resource counts, hostile
// host answers (titles, is-playing), key and resize storms, and unusual callback orders.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

enum class CallOrder { Normal, RenderAfterQuit, QuitWithoutInit, InitTwice, ConfigDuringRun };

struct KeyStorm {
    unsigned virtualKey;
    int count;
};

struct SoakOptions {
    int runs = 1;                   // visualisation runs per load
    int reloads = 1;                // loads of the library, each freed after its runs
    std::string titleFile;          // the title's bytes come from this file
    bool titleChanges = false;      // a different title, of a different length, every frame
    bool playingFlap = false;       // is-playing answers 1 and 0 on alternate frames
    int randomKeys = 0;             // key-downs over every code but Escape, 100 a frame from frame 2
    std::vector<KeyStorm> keyStorms;  // held keys: repeats with the previous-state bit, at frame 2
    int resizeStorm = 0;            // quick random resizes, 50 a frame from frame 2
    int handoffKeyFrame = 0;        // --handoff-key: the frame whose hand-off lets the key in first
    unsigned handoffKey = 0;
    CallOrder callOrder = CallOrder::Normal;
};

// Logs the process's GDI and USER objects, handles, private bytes and top-level windows.
void LogResources(const char* stage, int load, int run);
// Logs whether freeglut's window class is still registered on the executable's instance.
void LogFreeglutClass(int load);

// The title answer for this frame: the --title-file bytes or a changing title; null when neither applies.
const char* SoakTitle(const SoakOptions& soak, int frame, bool& overridden);
// The is-playing answer for this frame.
bool SoakIsPlaying(const SoakOptions& soak, int frame, bool playing);
// Posts the frame's random keys and key storms to the plug-in's window and applies the frame's resizes.
void SoakBeforeFrame(const SoakOptions& soak, HWND pluginWindow, int frame);
