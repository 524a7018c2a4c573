// Message boxes the plug-in shows: logged and dismissed by the host, never left waiting for a user.
// The import wrapper catches MessageBoxA; a thread-local CBT hook catches boxes from any other path.
#include "host/harness/message_boxes.h"
#include "host/harness/import_patch.h"
#include "host/base/json_log.h"

namespace {

decltype(&::MessageBoxA) realMessageBoxA;
HHOOK cbtHook = nullptr;
HWND ignoredOwner = nullptr;
HWND lastDismissed = nullptr;

// The answer of the box's first button, as if the user had pressed Enter on it.
int FirstButton(UINT style) {
    switch (style & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNO:
    case MB_YESNOCANCEL: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    default: return IDOK;
    }
}

int WINAPI HookMessageBoxA(HWND owner, LPCSTR text, LPCSTR title, UINT style) {
    // A WM_QUIT waiting in the queue would end a real box before anyone could read it.
    MSG quit;
    const bool quitPending = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
    JsonLine("message_box").Str("title", title).Str("text", text).Int("style", style)
        .Bool("owner", owner != nullptr).Bool("quit_pending", quitPending).Write();
    return FirstButton(style);
}

LRESULT CALLBACK DismissBoxes(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = (HWND)wParam;
    // NOTE: Wine may send a second HCBT_ACTIVATE with a null window after a box closes.
    if (code == HCBT_ACTIVATE && window && window != lastDismissed) {
        char className[16] = {};
        GetClassNameA(window, className, sizeof(className));
        HWND owner = GetWindow(window, GW_OWNER);
        if (lstrcmpA(className, "#32770") == 0 && !(ignoredOwner && owner == ignoredOwner)) {
            char title[256] = {}, text[1024] = {};
            GetWindowTextA(window, title, sizeof(title));
            GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));
            JsonLine("message_box").Str("title", title).Str("text", text).Null("style")
                .Bool("owner", owner != nullptr).Write();
            lastDismissed = window;
            PostMessageA(window, WM_COMMAND, GetDlgItem(window, IDOK) ? IDOK : IDCANCEL, 0);
        }
    }
    return CallNextHookEx(cbtHook, code, wParam, lParam);
}

}  // namespace

void InstallMessageBoxWrapper(HMODULE plugin) {
    void* original = PatchImport(plugin, "MessageBoxA", (void*)HookMessageBoxA);
    if (original) realMessageBoxA = (decltype(realMessageBoxA))original;
}

void InstallMessageBoxHook(HWND ignoreOwner) {
    ignoredOwner = ignoreOwner;
    cbtHook = SetWindowsHookExA(WH_CBT, DismissBoxes, nullptr, GetCurrentThreadId());
}

void RemoveMessageBoxHook() {
    if (cbtHook) UnhookWindowsHookEx(cbtHook);
    cbtHook = nullptr;
}
