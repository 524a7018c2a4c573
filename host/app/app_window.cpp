// The app's own window: the plug-in's parent and what the taskbar and Alt-Tab show. It has no
// area of its own; activating it brings the picture forward, minimising it hides the picture.
#include "host/app/app_window.h"
#include <atomic>
#include <string>
#include "host/app/app_listen.h"
#include "host/player/player_window.h"
#include "host/base/json_log.h"

namespace {

const char kAppClass[] = "SmearscopeApp";
const char kAppTitle[] = "Smearscope";

std::atomic<bool> closing{false};
std::atomic<bool> fillToggled{false};
std::atomic<HWND> pluginWindow{nullptr};

void ToggleFill() { fillToggled = !fillToggled; }

// The keys the app takes from those the plug-in passes on (its own are letters; Alt combinations
// never arrive). One row a key.
struct AppKey {
    WPARAM key;
    void (*action)();
};
const AppKey kAppKeys[] = {
    {VK_F11, ToggleFill},
    {VK_ESCAPE, RequestAppClose},
};

HWND appWindow = nullptr;

void ShowListenStatus() {
    if (appWindow) SetWindowTextA(appWindow, AppListenStatus().c_str());
}

void KeyPassedOn(WPARAM key, LPARAM) {
    // The gain keys ('+', '-', '0' and the keypad's) are the listening's; the title shows the gain.
    if (AppListenGainKey((unsigned)key)) {
        ShowListenStatus();
        return;
    }
    for (const AppKey& row : kAppKeys)
        if (row.key == key) {
            JsonLine("app_key").Int("key", (long long)key).Write();
            row.action();
        }
}

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
    HWND picture = pluginWindow.load();
    if (!picture) return;
    if (sizeType == SIZE_MINIMIZED && IsWindowVisible(picture)) {
        hidden = true;
        ShowWindowAsync(picture, SW_HIDE);
    } else if (sizeType != SIZE_MINIMIZED && hidden) {
        hidden = false;
        ShowWindowAsync(picture, SW_SHOWNA);
    }
}

bool OtherMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    // Picked in the taskbar or with Alt-Tab: the picture is what the user wants in front.
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
        if (HWND picture = pluginWindow.load()) SetForegroundWindow(picture);
        result = 0;
        return true;
    }
    if (message == WM_SIZE) FollowMinimise(wParam);
    if (message == kAppListenStatusChanged) {
        ShowListenStatus();
        result = 0;
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
                                     WS_EX_APPWINDOW, 0, 0, 0, 0);
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    appWindow = window;
    return window;
}

void DestroyAppWindow(HWND window) {
    appWindow = nullptr;
    DestroyPlayerWindow(window, kAppClass);
}

void SetAppPluginWindow(HWND window) { pluginWindow = window; }

bool AppClosing() { return closing; }

void RequestAppClose() { closing = true; }

bool TakeFillToggle() { return fillToggled.exchange(false); }
