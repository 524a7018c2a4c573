// Message boxes the plug-in shows: logged and dismissed by the host, never left waiting for a user.
// The import wrapper catches MessageBoxA; a thread-local CBT hook catches boxes from any other path.
#pragma once
#include <windows.h>

void InstallMessageBoxWrapper(HMODULE plugin);
// Installs the dismissing hook on the calling thread. `ignoreOwner`: dialog boxes owned by this
// window are left alone (the configuration dialog).
void InstallMessageBoxHook(HWND ignoreOwner);
void RemoveMessageBoxHook();
