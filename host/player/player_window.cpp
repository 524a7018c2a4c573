// The player's main window, the plug-in's parent: its class, the queries it answers for the
// plug-in (is-playing, list position, title) and the keys the plug-in passes on to it.
#include "host/player/player_window.h"

namespace {

// Each window's own handlers, in its extra bytes from WM_NCCREATE to WM_NCDESTROY.
struct WindowRecord {
    PlayerWindowHandlers handlers;
    bool* adopted;  // while the window is being created: set once the window holds the record
};

LRESULT HandleMessage(const PlayerWindowHandlers& handlers, HWND window, UINT message, WPARAM wParam,
                      LPARAM lParam) {
    LRESULT result = 0;
    if (handlers.other && handlers.other(window, message, wParam, lParam, result)) return result;
    switch (message) {
    case kHostQueryMessage:
        if (handlers.query) return handlers.query(wParam, lParam);
        return 0;
    case WM_KEYDOWN:
        if (!handlers.key) break;
        handlers.key(wParam, lParam);
        return 0;
    case WM_CLOSE:
        // The run ends at the next frame; the window goes only after the plug-in has quit.
        if (!handlers.close) break;
        handlers.close();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK PlayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        // A window made without CreatePlayerWindow has no record: it answers as a plain window.
        if (auto* record = (WindowRecord*)((CREATESTRUCTA*)lParam)->lpCreateParams) {
            *record->adopted = true;
            record->adopted = nullptr;
            SetWindowLongPtrA(window, 0, (LONG_PTR)record);
        }
    }
    auto* record = (WindowRecord*)GetWindowLongPtrA(window, 0);
    if (!record) return DefWindowProcA(window, message, wParam, lParam);
    const LRESULT result = HandleMessage(record->handlers, window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, 0, 0);
        delete record;
    }
    return result;
}

}  // namespace

LRESULT AnswerPlayerQuery(WPARAM wParam, LPARAM query, PlayerAnswers& answers) {
    switch (query) {
    case HOST_IS_PLAYING:
        return answers.Playing() ? 1 : 0;
    case HOST_GET_LIST_POSITION:
        return answers.ListPosition();
    case HOST_GET_LIST_TITLE:
        return (LRESULT)answers.Title(wParam);
    }
    answers.Unknown(query);
    return 0;
}

HWND CreatePlayerWindow(const char* className, const PlayerWindowHandlers& windowHandlers, const char* title,
                        DWORD style, DWORD exStyle, int x, int y, int width, int height, HICON icon,
                        HICON smallIcon) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = PlayerWindowProc;
    windowClass.cbWndExtra = sizeof(WindowRecord*);
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = icon ? icon : LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hIconSm = smallIcon;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    // A second window of the class (a host window of another thread) shares its registration.
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    bool adopted = false;
    auto* record = new WindowRecord{windowHandlers, &adopted};
    HWND window = CreateWindowExA(exStyle, className, title, style, x, y, width, height, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), record);
    // A window that failed after WM_NCCREATE has freed the record with WM_NCDESTROY already.
    if (!adopted) delete record;
    return window;
}

void DestroyPlayerWindow(HWND window, const char* className) {
    DestroyWindow(window);
    UnregisterClassA(className, GetModuleHandleA(nullptr));
}

void PumpPlayerMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
