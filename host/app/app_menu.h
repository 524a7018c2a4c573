// The app's one menu and its keys, built from one table: opened from the notification icon, from
// M or the menu key in the picture, and as the app window's system menu. Main thread.
#pragma once
#include <windows.h>
#include <string>

// Where About says the settings and the log are kept.
void SetAppMenuPlaces(const std::string& userFolder, const std::string& logPath);
// Opens the menu at `at` (screen pixels), its item states read now, and runs the item picked.
// `way` names how it was asked for, in the log.
void OpenAppMenu(HWND appWindow, POINT at, const char* way);
// The menu opened over the picture, as M and the menu key do.
void OpenAppMenuAtPicture(HWND appWindow, const char* way);
// A key the plug-in passed on: true when it is one of the app's (and was carried out).
bool RunAppKey(HWND appWindow, WPARAM key);
// The app window's messages the menu takes first: its items in the system menu (filled as that
// opens, picked as WM_SYSCOMMAND or WM_COMMAND), the item rectangles for the log, the open state.
bool AppMenuMessage(HWND appWindow, UINT message, WPARAM wParam, LPARAM lParam);
// A menu is open: the app's window must not push the picture in front (the menu would close).
bool AppMenuOpen();
// What "Keys..." shows: the app's keys, from the table.
std::string AppKeysText();
