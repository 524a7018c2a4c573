// The picture filling its monitor: the plug-in's window made borderless over the monitor it is
// on, and put back as it was. Called on the thread that owns the plug-in's window.
#include "host/app/fill_screen.h"
#include "host/base/json_log.h"

namespace {
const LONG kFrameStyles = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

void LogFill(HWND window, bool on) {
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    JsonLine("fill").Bool("on", on).Int("x", outer.left).Int("y", outer.top).Int("client_width", client.right)
        .Int("client_height", client.bottom).Int("style", (DWORD)GetWindowLongA(window, GWL_STYLE)).Write();
}
}  // namespace

bool EnterFill(HWND window, FillState& state) {
    if (state.filled || !window) return false;
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    if (style & WS_POPUP) {
        JsonLine("fill").Bool("on", false).Str("refused", "the plug-in's own full screen").Write();
        return false;
    }
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetWindowRect(window, &state.restore) ||
        !GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        return false;
    state.style = style;
    state.exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    state.filled = true;
    SetWindowLongA(window, GWL_STYLE, (style & ~kFrameStyles) | WS_POPUP);
    const RECT& area = monitor.rcMonitor;
    SetWindowPos(window, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    LogFill(window, true);
    return true;
}

void LeaveFill(HWND window, FillState& state) {
    if (!state.filled) return;
    state.filled = false;
    if (!window || !IsWindow(window)) return;
    SetWindowLongA(window, GWL_STYLE, state.style);
    SetWindowLongA(window, GWL_EXSTYLE, state.exStyle);
    const RECT& r = state.restore;
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE);
    LogFill(window, false);
}
