// The app's own window: the plug-in's parent and what the taskbar and Alt-Tab show, with the
// notification icon and the menu. It has no area of its own; activating it brings the picture
// forward (not while a menu is open), minimising it hides the picture. Its answers to the
// plug-in's queries, and the keys the plug-in passes on (the app's table of them is the menu's).
#pragma once
#include <windows.h>

HWND CreateAppWindow();
// The notification icon, for a run (not for --config's dialog alone).
void ShowAppIcon(HWND window);
void DestroyAppWindow(HWND window);
