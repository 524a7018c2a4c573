// The wrappers put into the plug-in's import table: failure injection, frame capture at the swap,
// pause recording, and logging of display-mode, cursor, swap-interval and dialog calls.
#pragma once
#include <windows.h>

// Patches every wrapped import of the loaded plug-in. Call once, before any callback.
void InstallPluginHooks(HMODULE plugin);
// DialogBoxParamA's last result, or 0 when the plug-in has not called it (or does not import it).
INT_PTR LastDialogResult();
bool PluginImportsDialogBox();
// Logs this thread's cursor display count ("cursor_count", `when`), leaving it as it was.
void LogCursorCount(const char* when);
