// The app's own window: the plug-in's parent and what the taskbar and Alt-Tab show, with the
// notification icon and the menu. It has no area of its own; activating it brings the picture
// forward (not while a menu is open), minimising it hides the picture.
#include "host/app/app_window.h"
#include <string>
#include "host/app/app_end.h"
#include "host/app/app_icon.h"
#include "host/app/app_listen.h"
#include "host/app/app_messages.h"
#include "host/app/app_menu.h"
#include "host/app/app_picture.h"
#include "host/app/app_tray.h"
#include "host/player/player_window.h"
#include "host/base/json_log.h"
#include "host/listen/listen_gain.h"

namespace {

const char kAppClass[] = "SmearscopeApp";
const char kAppTitle[] = "Smearscope";
const UINT_PTR kTipTimer = 0x5B;
const UINT kTipMs = 1000;  // the device's name arrives from the capture thread; the tip follows

HWND appWindow = nullptr;

void ShowListenStatus() {
    if (!appWindow) return;
    const std::string title = AppListenStatus();
    char now[256] = {};
    GetWindowTextA(appWindow, now, sizeof(now));
    if (title == now) return;
    SetWindowTextA(appWindow, title.c_str());
    JsonLine("title").Str("text", title.c_str()).Write();
}

// The device and the gain, for the icon's tooltip.
std::string TipText() { return "Smearscope - " + AppListenTitle() + " - " + GainText(AppListenGain()); }

void KeyPassedOn(WPARAM key, LPARAM) { RunAppKey(appWindow, key); }

// A player that is listening: always playing, one entry, the device's name as the title.
class ListeningAnswers : public PlayerAnswers {
public:
    bool Playing() override { return true; }
    int ListPosition() override { return 0; }
    const char* Title(WPARAM) override {
        title = AppListenTitle();
        return title.c_str();
    }

private:
    std::string title;  // main thread only: queries are sent messages
};
ListeningAnswers answers;

LRESULT AnswerQuery(WPARAM wParam, LPARAM lParam) { return AnswerPlayerQuery(wParam, lParam, answers); }

// NOTE: Windows hides every owned window while its owner is minimised; Wine only owned pop-ups,
// and the plug-in's window is an overlapped one. Hidden and shown again here too, on both.
void FollowMinimise(WPARAM sizeType) {
    static bool hidden = false;
    HWND picture = PictureWindow();
    if (!picture) return;
    if (sizeType == SIZE_MINIMIZED && IsWindowVisible(picture)) {
        hidden = true;
        ShowWindowAsync(picture, SW_HIDE);
    } else if (sizeType != SIZE_MINIMIZED && hidden) {
        hidden = false;
        ShowWindowAsync(picture, SW_SHOWNA);
    }
}

// A box on a thread of its own: neither the capture nor the main thread, which answers the
// plug-in's queries, waits for the user to read it. No owner: a box owned across threads would
// tie their ends together.
DWORD WINAPI ShowNoticeBox(LPVOID text) {
    MessageBoxA(nullptr, (const char*)text, "Smearscope", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
    delete[] (char*)text;
    AskPictureKeyboard();
    return 0;
}

// Said once a run: a notification from the icon, the box where there is no icon.
void TellMicrophone() {
    const std::string text = AppListenMicrophoneNotice();
    if (text.empty()) return;
    const bool notified = TrayNotify("Smearscope", text);
    JsonLine("microphone_notice").Str("how", notified ? "notification" : "box").Write();
    if (notified) return;
    char* copy = new char[text.size() + 1];
    lstrcpyA(copy, text.c_str());
    if (HANDLE box = CreateThread(nullptr, 0, ShowNoticeBox, copy, 0, nullptr)) CloseHandle(box);
    else delete[] copy;
}

void IconMessage(HWND window, LPARAM mouse) {
    if (mouse == WM_RBUTTONUP || mouse == WM_CONTEXTMENU) {
        POINT at;
        GetCursorPos(&at);
        OpenAppMenu(window, at, "icon");
    } else if (mouse == WM_LBUTTONUP) {
        JsonLine("icon_click").Write();
        BringPictureForward(window);
    }
}

bool OtherMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (AppMenuMessage(window, message, wParam, lParam)) return true;
    if (TrayTaskbarRestarted(message)) return true;
    switch (message) {
    case WM_ACTIVATE:
        // Picked in the taskbar or with Alt-Tab: the picture is what the user wants in front. A
        // menu of this window activates it too, and would close at once.
        if (LOWORD(wParam) == WA_INACTIVE || HIWORD(wParam) || AppMenuOpen()) return false;
        if (HWND picture = PictureWindow()) {
            SetForegroundWindow(picture);
            AskPictureKeyboard();
        }
        return true;
    case WM_SIZE:
        FollowMinimise(wParam);
        return false;
    case WM_TIMER:
        if (wParam != kTipTimer) return false;
        TrayTip(TipText());
        ShowListenStatus();
        return true;
    case kAppListenStatusChanged:
        ShowListenStatus();
        TrayTip(TipText());
        return true;
    case kAppMicrophoneNotice:
        TellMicrophone();
        return true;
    case kAppTrayMessage:
        IconMessage(window, lParam);
        return true;
    case kAppHandOverMessage:
        JsonLine("handed_over").Bool("config", wParam == 1).Write();
        BringPictureForward(window);
        if (wParam == 1) AskPictureSettings();
        return true;
    }
    return false;
}

}  // namespace

HWND CreateAppWindow() {
    PlayerWindowHandlers handlers;
    handlers.query = AnswerQuery;
    handlers.key = KeyPassedOn;
    handlers.close = RequestAppClose;
    handlers.other = OtherMessage;
    // No area of its own: visible, so that the taskbar and Alt-Tab list it, but empty.
    HWND window = CreatePlayerWindow(kAppClass, handlers, kAppTitle, WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX,
                                     WS_EX_APPWINDOW, 0, 0, 0, 0, AppIcon(false), AppIcon(true));
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    appWindow = window;
    return window;
}

void ShowAppIcon(HWND window) {
    TrayAdd(window, "Smearscope");
    SetTimer(window, kTipTimer, kTipMs, nullptr);
}

void DestroyAppWindow(HWND window) {
    TrayRemove();
    appWindow = nullptr;
    DestroyPlayerWindow(window, kAppClass);
}

