// What the host's parts share during one run: the options, the frame being rendered, the pause the
// plug-in asked for in it, and the failures seen. Written by the visualisation thread only, but for
// the library and the callback under way, which loading sets too.
#pragma once
#include <windows.h>
#include <atomic>
#include <string>
#include "host/run/options.h"

struct HostState {
    HostOptions options;
    HMODULE plugin = nullptr;
    HWND hostWindow = nullptr;
    int frame = 0;              // the frame whose Render is running; 0 outside frames
    DWORD framePauseMs = 0;     // sum of the plug-in's Sleep calls during the current frame
    double frameSleptMs = 0;    // time actually spent in them, on the high-resolution clock
    int swaps = 0;
    std::string captureError;   // first capture failure, reported at exit
    std::atomic<const char*> currentCallback{nullptr};  // the plug-in call under way, for crash reports
};
extern HostState hostState;
