// The display window's procedure: size and position tracking, window destruction, Escape, and
// forwarding of every key that is not a command back to the host's window.
#include "window/window_proc.h"
#include "plugin/plugin.h"
#include "plugin/settings.h"
#include "render/scene_state.h"
#include "window/display_window.h"
#include "window/frame_handoff.h"

DisplayToggles displayToggles;

namespace {

void StoreClientSize(LPARAM lParam) {
    settings.width = drawWidth = LOWORD(lParam);
    settings.height = drawHeight = HIWORD(lParam);
    // The size is kept whenever it comes; the GL state only on our context's thread once it is
    // current. CreateWindowExA sends WM_SIZE before wglMakeCurrent: a host's context, or none, would
    // get the calls. Init's own ResizeScene sets the viewport and the pass textures later.
    if (DrawingAllowedOnThisThread()) ResizeScene(drawWidth, drawHeight);
    SaveSettings(&visModule);
}

// The position before the change the message announces; unreadable while the window is created.
// The full-screen popup's place is the mode's corner, not one to return to: kept, it would become
// the next windowed run's position once a Config during the run unticks Fullscreen.
void StorePosition() {
    RECT outer;
    const HWND window = displayHandles.window;
    if (!window || (GetWindowLongA(window, GWL_STYLE) & WS_POPUP) || !GetWindowRect(window, &outer)) return;
    settings.configX = outer.left;
    settings.configY = outer.top;
}

void ForwardKey(HWND window, WPARAM wParam, LPARAM lParam) {
    VisModule* module = (VisModule*)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (module) PostMessageA(module->parentWindow, WM_KEYDOWN, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK DisplayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        displayHandles.windowDC = GetDC(window);
        return 0;
    case WM_DESTROY:
        ForgetDestroyedWindow(window);
        quitRequested = true;
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        StoreClientSize(lParam);
        return 0;
    case WM_ACTIVATE:
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_WINDOWPOSCHANGING:
        StorePosition();
        return 0;
    case WM_WINDOWPOSCHANGED:
        // The position before a change is stale once the change lands: a single move followed by
        // Quit would save where the window was, not where it is. Parked minimised windows are not
        // a place to return to. The default path still sends WM_SIZE and WM_MOVE.
        if (!IsIconic(window)) StorePosition();
        break;
    case kHandedFrameMessage:
        RunHandedFrame(wParam, lParam);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) quitRequested = true;
        else if (!RunKeyCommand(wParam)) ForwardKey(window, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
