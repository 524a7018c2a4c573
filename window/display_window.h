// The display window and its OpenGL context: start-up (Init), the full-screen mode change, tear-down.
// Every failure is told in a fixed message box and ends the run through the quit flag.
#pragma once
#include "plugin/vis_module.h"

struct DisplayHandles {
    HINSTANCE libraryInstance;
    HWND window;
    HDC windowDC;
    HGLRC renderContext;
    DEVMODEA savedMode;
};
extern DisplayHandles displayHandles;

bool EnterFullscreenMode(int width, int height, int bitsPerPixel);
void DestroyDisplayWindow();
// The pixel format to set: the platform's choice, or the closest one with an accumulation buffer.
int ChooseDisplayPixelFormat(HDC dc);
