// The app window's private messages, in one list: they all go to the one window, so each number
// is taken once. Sent or posted from the threads named; the window answers on the main thread.
#pragma once
#include <windows.h>

enum : UINT {
    // What its title says has changed (the gain, the device, the microphone notice); no payload.
    // From the menu's gain items and the capture thread.
    kAppListenStatusChanged = WM_APP + 0x25,
    // The notification icon's callback: lParam is the mouse message (WM_LBUTTONUP, WM_RBUTTONUP, ...).
    kAppTrayMessage = WM_APP + 0x26,
    // From a later start of the app in the same user folder: wParam 1 asks for the plug-in's
    // settings (--config), 0 for the picture in front.
    kAppHandOverMessage = WM_APP + 0x27,
    // Once a run, when a recording device stands in for the output: the notice to tell; no payload.
    kAppMicrophoneNotice = WM_APP + 0x28,
};
