// The app's icon in the notification area: its tooltip (the device and the gain), its clicks
// (sent to the app's window as kAppTrayMessage), a notification from it, and adding it again when
// the taskbar restarts. Main thread.
#pragma once
#include <windows.h>
#include <string>

// Adds the icon for `window`; false (logged) where the platform refuses it: the app goes on without.
bool TrayAdd(HWND window, const std::string& tip);
// The tooltip, when it differs from the last one.
void TrayTip(const std::string& tip);
// A notification from the icon; false without an icon or where it is refused.
bool TrayNotify(const std::string& title, const std::string& text);
void TrayRemove();
// True for the message the taskbar broadcasts when it starts again ("TaskbarCreated"): the icon is
// added anew.
bool TrayTaskbarRestarted(UINT message);
