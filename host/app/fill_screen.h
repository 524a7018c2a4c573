// The picture filling its monitor: the plug-in's window made borderless over the monitor it is
// on, and put back as it was. Called on the thread that owns the plug-in's window.
#pragma once
#include <windows.h>

struct FillState {
    bool filled = false;
    RECT restore = {};      // the window's outer rectangle before filling
    LONG style = 0, exStyle = 0;
};

// Fills the monitor `window` is on. False (nothing changed) for a window already without a frame:
// the plug-in's own full screen.
bool EnterFill(HWND window, FillState& state);
// Puts style and rectangle back; the plug-in, which stores every size it is given, stores the
// size it had before.
void LeaveFill(HWND window, FillState& state);
