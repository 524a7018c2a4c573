// The display window and its OpenGL context: start-up (Init), the full-screen mode change, tear-down.
// Every failure is told in a fixed message box and ends the run through the quit flag.
#pragma once
#include <atomic>
#include "plugin/vis_module.h"

struct DisplayHandles {
    HINSTANCE libraryInstance;
    std::atomic<HWND> window;  // read by a Render on another thread, to hand it the frame
    HDC windowDC;
    HGLRC renderContext;
    DEVMODEA savedMode;
};
extern DisplayHandles displayHandles;

// True only on the thread that made the rendering context current, while it exists: the plug-in's
// state is single-threaded, so a Render on another thread hands its frame to this one.
bool DrawingAllowedOnThisThread();
// Called when the display window is destroyed, by the tear-down or from outside.
void ForgetDestroyedWindow(HWND window);
// Saves the current mode, then switches to width x height at bitsPerPixel, or failing that at the
// desktop's depth or at 32; true when one was taken.
bool EnterFullscreenMode(int width, int height, int bitsPerPixel);
void DestroyDisplayWindow();
// A window extent: the client extent plus the frame (outer minus client), kept within int.
int FramedExtent(int client, long outerExtent, long clientExtent);
// The pixel format to set: the platform's choice, or the closest one with an accumulation buffer.
int ChooseDisplayPixelFormat(HDC dc);
