// The display window's procedure: size and position tracking, window destruction, key commands,
// and forwarding of every other key to the host. Also the switches that only keys change.
#pragma once
#include <windows.h>

struct DisplayToggles {
    bool rotation = true;
    bool beatChangesSpeed = true;
    int verticalSync = 1;
    bool showFps = false;
    bool displayHelp = false;
    bool useNoiseDistortion = false;
};
extern DisplayToggles displayToggles;

LRESULT CALLBACK DisplayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the letter command for a virtual-key code; false when the code is not a command.
bool RunKeyCommand(WPARAM key);
