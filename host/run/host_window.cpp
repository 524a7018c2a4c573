// The player's main window on the main thread: its class, its answers to the plug-in's queries,
// the keys the plug-in forwards to it, and its close button, which ends the run.
#include "host/run/host_window.h"
#include <atomic>
#include <string>
#include "host/sound/audio_feed.h"
#include "host/run/host_state.h"
#include "host/run/json_log.h"
#include "host/harness/quirks.h"
#include "host/run/soak.h"

const char kHostClass[] = "SmearscopeHostWindow";

namespace {

std::atomic<bool> hostClosing{false};    // the host window was asked to close: end the run

LRESULT AnswerQuery(WPARAM wParam, LPARAM lParam) {
    static std::string title;
    JsonLine line("query");
    line.Int("lparam", (long long)lParam).Int("wparam", (long long)wParam);
    LRESULT answer = 0;
    if (QuirkAnswersQuery(wParam, lParam, answer)) return answer;
    switch (lParam) {
    case 104:
        answer = SoakIsPlaying(hostState.frame, !hostState.options.notPlaying &&
                                                    (!AudioFeedActive() || AudioFeedPlaying())) ? 1 : 0;
        line.Int("answer", answer);
        break;
    case 125:
        answer = AudioFeedActive() ? AudioFeedIndex() : 0;
        line.Int("answer", answer);
        break;
    case 212: {
        bool overridden = false;
        if (const char* drill = SoakTitle(hostState.frame, overridden); overridden) {
            answer = (LRESULT)drill;
            line.Int("answer_length", drill ? lstrlenA(drill) : 0);
            break;
        }
        // Stays readable after the answer: the plug-in draws it later in the frame.
        title = AudioFeedActive() ? AudioFeedTitle((long long)wParam) : hostState.options.title;
        answer = hostState.options.nullTitle ? 0 : (LRESULT)title.c_str();
        line.Str("answer", hostState.options.nullTitle ? nullptr : title.c_str());
        break;
    }
    default:
        line.Int("answer", 0);
        break;
    }
    line.Write();
    return answer;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_USER:
        return AnswerQuery(wParam, lParam);
    case WM_KEYDOWN:
        JsonLine("forwarded_key").Int("wparam", (long long)wParam).Int("lparam", (long long)(DWORD)lParam).Write();
        AudioFeedKey(wParam);
        return 0;
    case WM_CLOSE:
        // The run ends at the next frame; the window goes only after the plug-in has quit.
        hostClosing = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND CreateHostWindow() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kHostClass;
    if (!RegisterClassExA(&windowClass)) return nullptr;
    // Out of the way of the plug-in's window, which starts near the top left.
    HWND window = CreateWindowExA(0, kHostClass, "Smearscope host", WS_OVERLAPPEDWINDOW, 1000, 780, 260, 180,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

void DestroyHostWindow(HWND window) {
    DestroyWindow(window);
    UnregisterClassA(kHostClass, GetModuleHandleA(nullptr));
}

void PumpHostMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool HostWindowClosing() { return hostClosing; }
