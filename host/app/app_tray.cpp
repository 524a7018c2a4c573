// The app's icon in the notification area: its tooltip (the device and the gain), its clicks
// (sent to the app's window as kAppTrayMessage), a notification from it, and adding it again when
// the taskbar restarts. Main thread.
#include "host/app/app_tray.h"
#include "host/app/app_messages.h"
#include <shellapi.h>
#include "host/app/app_icon.h"
#include "host/base/json_log.h"

namespace {

const UINT kIconId = 1;
HWND owner = nullptr;
bool shown = false;
std::string lastTip;
UINT taskbarCreated = 0;

void CopyText(char* to, size_t size, const std::string& text) { lstrcpynA(to, text.c_str(), (int)size); }

NOTIFYICONDATAA Record(UINT flags) {
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = kIconId;
    data.uFlags = flags;
    return data;
}

bool Add() {
    NOTIFYICONDATAA data = Record(NIF_ICON | NIF_MESSAGE | NIF_TIP);
    data.uCallbackMessage = kAppTrayMessage;
    data.hIcon = AppIcon(true);
    CopyText(data.szTip, sizeof(data.szTip), lastTip);
    shown = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    JsonLine("tray").Bool("added", shown).Write();
    return shown;
}

}  // namespace

bool TrayAdd(HWND window, const std::string& tip) {
    owner = window;
    lastTip = tip;
    taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    return Add();
}

void TrayTip(const std::string& tip) {
    if (!shown || tip == lastTip) return;
    lastTip = tip;
    NOTIFYICONDATAA data = Record(NIF_TIP);
    CopyText(data.szTip, sizeof(data.szTip), tip);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

bool TrayNotify(const std::string& title, const std::string& text) {
    if (!shown) return false;
    NOTIFYICONDATAA data = Record(NIF_INFO);
    CopyText(data.szInfoTitle, sizeof(data.szInfoTitle), title);
    CopyText(data.szInfo, sizeof(data.szInfo), text);
    data.dwInfoFlags = NIIF_INFO;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

void TrayRemove() {
    if (!shown) return;
    NOTIFYICONDATAA data = Record(0);
    Shell_NotifyIconA(NIM_DELETE, &data);
    shown = false;
}

bool TrayTaskbarRestarted(UINT message) {
    if (!owner || !taskbarCreated || message != taskbarCreated) return false;
    Add();
    return true;
}
