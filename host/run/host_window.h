// The player's main window on the main thread: its class, its answers to the plug-in's queries,
// the keys the plug-in forwards to it, and its close button, which ends the run.
#pragma once
#include <windows.h>

extern const char kHostClass[];

// Registers the class and shows the window out of the plug-in's way; null on failure.
HWND CreateHostWindow();
void DestroyHostWindow(HWND window);
// A hidden window of the class on the calling thread, answering as the host window does.
HWND MakeHostWindow(const char* title, int x, int y);
// Dispatches what waits in the main thread's queue.
void PumpHostMessages();
// The host window was asked to close: the run ends at the next frame.
bool HostWindowClosing();
