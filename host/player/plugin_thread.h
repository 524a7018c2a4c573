// What a player's visualisation thread does between the plug-in's calls: finds the plug-in's
// window and dispatches the thread's messages, holding back none but noting the quit message.
#pragma once
#include <windows.h>
#include <string>

// The plug-in's window on `thread`: of class `windowClass`, else that thread's visible top-level
// window that is no dialog.
HWND FindPluginWindow(const std::string& windowClass, DWORD thread);
// Dispatches this thread's messages. WM_QUIT (the plug-in's window posts it as it goes) is logged
// and dropped: the run's end is the plug-in's Render result.
void DispatchPluginMessages();
