// What the host's parts share during one run: the options, the frame being rendered, the pause the
// plug-in asked for in it, and the failures seen. Written by the visualisation thread only.
#pragma once
#include <windows.h>
#include <string>
#include "host/options.h"

struct HostState {
    HostOptions options;
    HMODULE plugin = nullptr;
    HWND hostWindow = nullptr;
    int frame = 0;              // the frame whose Render is running; 0 outside frames
    DWORD framePauseMs = 0;     // sum of the plug-in's Sleep calls during the current frame
    double frameSleptMs = 0;    // time actually spent in them, on the high-resolution clock
    int swaps = 0;
    std::string captureError;   // first capture failure, reported at exit
};
extern HostState hostState;
