// The app's own window: the plug-in's parent and what the taskbar and Alt-Tab show. It has no
// area of its own; activating it brings the picture forward, minimising it hides the picture.
// Its answers to the plug-in's queries, and the keys the plug-in passes on, one row a key.
#pragma once
#include <windows.h>

HWND CreateAppWindow();
void DestroyAppWindow(HWND window);
// The picture's window, once the plug-in has one (null again after Quit). Any thread.
void SetAppPluginWindow(HWND window);
// The app was asked to end: its close button, its menu in the taskbar, Escape.
bool AppClosing();
void RequestAppClose();
// Whether the fill key was pressed (an odd number of times) since the last call.
bool TakeFillToggle();
