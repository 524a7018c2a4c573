// What a player's visualisation thread does between the plug-in's calls: finds the plug-in's
// window and dispatches the thread's messages, holding back none but noting the quit message.
#include "host/player/plugin_thread.h"
#include "host/base/json_log.h"

namespace {

struct WindowSearch {
    const char* className;
    HWND found;
    HWND fallback;
};

BOOL CALLBACK MatchPluginWindow(HWND window, LPARAM param) {
    auto* search = (WindowSearch*)param;
    char className[256] = {};
    GetClassNameA(window, className, sizeof(className));
    if (lstrcmpA(className, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    if (!search->fallback && IsWindowVisible(window) && lstrcmpA(className, "#32770") != 0) search->fallback = window;
    return TRUE;
}

}  // namespace

HWND FindPluginWindow(const std::string& windowClass, DWORD thread) {
    WindowSearch search{windowClass.c_str(), nullptr, nullptr};
    EnumThreadWindows(thread, MatchPluginWindow, (LPARAM)&search);
    return search.found ? search.found : search.fallback;
}

void DispatchPluginMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            JsonLine("wm_quit").Int("exit_code", (long long)message.wParam).Write();
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
