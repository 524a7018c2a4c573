// Drives the plug-in's configuration dialog for --config: finds it once it is up, logs what it
// shows, and performs the --dialog actions as a user's clicks and typing would, and the resizes
// and keys that reach the plug-in's own window while the dialog is open.
#include "host/harness/dialog_driver.h"
#include <atomic>
#include <cstdlib>
#include "host/base/json_log.h"
#include "host/run/options.h"
#include "host/run/window_moves.h"

namespace {

UINT_PTR timer = 0;
HWND dialogOwner = nullptr;
HWND pluginWindow = nullptr;  // the display window of the run the dialog opened in, or null
std::vector<std::string> pendingActions;
std::atomic<bool> sawDialog{false};
int endAction = 0;

struct Search {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    auto* search = (Search*)param;
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search->owner) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// "resize:WxH": both sizes, positive; false when malformed.
bool ParseResizeAction(const std::string& action, int& width, int& height) {
    const size_t cross = action.find('x');
    return cross != std::string::npos && ParseInt(action.substr(7, cross - 7), width) &&
           ParseInt(action.substr(cross + 1), height) && width > 0 && height > 0;
}

std::string ItemText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

void Perform(HWND dialog, const std::string& action) {
    if (action == "ok" || action == "cancel") {
        endAction = action == "ok" ? 1 : 2;
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(endAction == 1 ? IDOK : IDCANCEL, BN_CLICKED),
                     (LPARAM)GetDlgItem(dialog, endAction == 1 ? IDOK : IDCANCEL));
    } else if (action.rfind("check:", 0) == 0 || action.rfind("uncheck:", 0) == 0) {
        bool check = action[0] == 'c';
        int id = std::atoi(action.c_str() + action.find(':') + 1);
        // A click: the box changes state, then the dialog hears BN_CLICKED from the control.
        CheckDlgButton(dialog, id, check ? BST_CHECKED : BST_UNCHECKED);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
    } else if (action.rfind("set:", 0) == 0) {
        size_t equals = action.find('=');
        int id = std::atoi(action.substr(4, equals - 4).c_str());
        // Sends EN_CHANGE to the dialog itself, as typing does.
        SetDlgItemTextA(dialog, id, action.substr(equals + 1).c_str());
    } else if (action.rfind("resize:", 0) == 0) {
        int width = 0, height = 0;
        if (pluginWindow && ParseResizeAction(action, width, height)) ResizeClientArea(pluginWindow, width, height);
    } else if (action.rfind("key:", 0) == 0) {
        // Posted, as typing is: the dialog's loop dispatches it to the window before a later ok or cancel.
        if (pluginWindow) PostMessageA(pluginWindow, WM_KEYDOWN, KeyNameToVirtualKey(action.substr(4)), 1);
    }
    JsonLine("dialog_action").Str("action", action.c_str()).Bool("window", pluginWindow != nullptr).Write();
}

void CALLBACK LookForDialog(HWND, UINT, UINT_PTR, DWORD) {
    Search search{dialogOwner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, (LPARAM)&search);
    if (!search.found) return;
    KillTimer(nullptr, timer);
    timer = 0;
    HWND dialog = search.found;
    sawDialog = true;
    JsonLine("dialog").Bool("fullscreen", IsDlgButtonChecked(dialog, 1001) == BST_CHECKED)
        .Str("width", ItemText(dialog, 1012).c_str()).Str("height", ItemText(dialog, 1013).c_str()).Write();
    for (const std::string& action : pendingActions) Perform(dialog, action);
}

}  // namespace

bool DialogActionsValid(const std::vector<std::string>& actions, std::string& error) {
    for (const std::string& action : actions) {
        bool ok = action == "ok" || action == "cancel";
        if (action.rfind("check:", 0) == 0 || action.rfind("uncheck:", 0) == 0)
            ok = std::atoi(action.c_str() + action.find(':') + 1) > 0;
        if (action.rfind("set:", 0) == 0)
            ok = action.find('=') != std::string::npos && std::atoi(action.c_str() + 4) > 0;
        int width, height;
        if (action.rfind("resize:", 0) == 0) ok = ParseResizeAction(action, width, height);
        if (action.rfind("key:", 0) == 0) ok = KeyNameToVirtualKey(action.substr(4)) != 0;
        if (!ok) {
            error = "--dialog action not understood: " + action;
            return false;
        }
    }
    return true;
}

void DialogDriverStart(HWND owner, HWND runWindow, const std::vector<std::string>& actions) {
    dialogOwner = owner;
    pluginWindow = runWindow;
    pendingActions = actions;
    timer = SetTimer(nullptr, 0, 50, LookForDialog);
}

void DialogDriverStop() {
    if (timer) KillTimer(nullptr, timer);
    timer = 0;
}

bool DialogDriverSawDialog() { return sawDialog; }
int DialogDriverEndAction() { return endAction; }
