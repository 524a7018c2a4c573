// One app at a time per user folder: the first start owns the folder (a named mutex made from
// its path) and publishes its window; a later start hands over to that window and ends.
#pragma once
#include <windows.h>
#include <string>

// True when this start is the folder's first; it then owns it until the process ends.
bool ClaimUserFolder(const std::string& folder);
// The first start's window, for later starts to find (null when it goes).
void PublishAppWindow(HWND window);
// A later start: asks the running app to come forward (or to open the settings), waiting at most
// `waitMs` for its window while it is still starting. False when no window answered.
bool HandOverToRunningApp(const std::string& folder, bool config, DWORD waitMs);
