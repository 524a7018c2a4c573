// The picture's window as the app places it: filling its monitor, on which monitor, on top of the
// others, and the plug-in's settings dialog during a run. Requests are flags any thread sets; the
// visualisation thread takes them between frames.
#include "host/app/app_picture.h"
#include <atomic>
#include <mutex>
#include "host/app/fill_screen.h"
#include "host/base/json_log.h"

namespace {

// The visualisation thread's own, but for what is published below.
struct PictureState {
    AppSettings kept;
    std::string appSettingsPath, pluginSettingsPath;
    bool wantFill = false;  // filled at the next PictureBegin
    FillState fill;
};
PictureState state;

std::atomic<bool> fillAsked{false}, onTopAsked{false}, settingsAsked{false}, monitorAsked{false}, keyboardAsked{false};
std::mutex askLock;
std::string askedMonitor;  // under askLock

std::atomic<bool> filledNow{false}, onTopNow{false};
std::atomic<HWND> picture{nullptr};

ScreenRect FromRect(const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFOEXA info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    MonitorEntry entry;
    entry.device = info.szDevice;
    entry.area = FromRect(info.rcMonitor);
    entry.work = FromRect(info.rcWork);
    entry.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    ((std::vector<MonitorEntry>*)list)->push_back(entry);
    return TRUE;
}

void Keep() {
    const bool saved = AppSettingsSave(state.appSettingsPath, state.kept);
    if (!saved) JsonLine("app_settings").Bool("saved", false).Write();
}

void ApplyOnTop(HWND window) {
    SetWindowPos(window, state.kept.onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    onTopNow = state.kept.onTop;
    JsonLine("on_top").Bool("on", state.kept.onTop)
        .Bool("topmost", (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0).Write();
}

void SetFill(HWND window, bool on) {
    if (on) EnterFill(window, state.fill);
    else LeaveFill(window, state.fill);
    filledNow = state.fill.filled;
}

// Windowed, the window keeps its place relative to the monitor's corner; filled, it fills the new
// monitor and goes back to a windowed place on it.
void MoveToMonitor(HWND window, const std::string& device) {
    const std::vector<MonitorEntry> monitors = ListMonitors();
    if (monitors.empty()) return;
    const MonitorEntry& to = monitors[ChooseMonitor(monitors, device)];
    const bool filled = state.fill.filled;
    SetFill(window, false);
    RECT outer = {};
    GetWindowRect(window, &outer);
    const ScreenRect from = monitors[MonitorOfRect(monitors, FromRect(outer))].work;
    const ScreenRect place = PlaceOnMonitor(FromRect(outer), from, to.work);
    SetWindowPos(window, nullptr, place.left, place.top, place.Width(), place.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    JsonLine("monitor").Str("device", to.device.c_str()).Int("x", place.left).Int("y", place.top).Write();
    if (filled) SetFill(window, true);
}

// NOTE: a window gets the keyboard (SetFocus) only from its own thread; asked from the main thread
// after one of its menus or boxes, the picture came forward but its keys went nowhere.
// HACK: Wine hands the X window the keyboard only when the focus changes, and a menu of another
// thread never took it from the picture: the focus is taken off and given back.
void GiveKeyboard(HWND window) {
    SetForegroundWindow(window);
    if (GetFocus() == window) SetFocus(nullptr);
    SetFocus(window);
    JsonLine("keyboard").Bool("focus", GetFocus() == window).Write();
}

bool SameStamp(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.nFileSizeLow == b.nFileSizeLow && CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

}  // namespace

void PictureStart(const AppSettings& kept, bool fillScreen, const std::string& appSettingsPath,
                  const std::string& pluginSettingsPath) {
    state.kept = kept;
    state.appSettingsPath = appSettingsPath;
    state.pluginSettingsPath = pluginSettingsPath;
    state.wantFill = fillScreen || kept.fill;
    onTopNow = kept.onTop;
    const std::vector<MonitorEntry> monitors = ListMonitors();
    for (size_t i = 0; i < monitors.size(); ++i)
        JsonLine("monitor_found").Str("label", MonitorLabel(monitors, i).c_str())
            .Str("device", monitors[i].device.c_str()).Int("x", monitors[i].area.left).Int("y", monitors[i].area.top)
            .Bool("primary", monitors[i].primary).Write();
}

void AskFillToggle() { fillAsked = !fillAsked; }
void AskOnTopToggle() { onTopAsked = !onTopAsked; }
void AskPictureSettings() { settingsAsked = true; }
void AskPictureKeyboard() { keyboardAsked = true; }
void AskMonitor(const std::string& device) {
    std::lock_guard<std::mutex> hold(askLock);
    askedMonitor = device;
    monitorAsked = true;
}

HWND PictureWindow() { return picture; }

void BringPictureForward(HWND appWindow) {
    HWND window = picture.load();
    if (!window) window = appWindow;
    if (IsIconic(appWindow)) ShowWindow(appWindow, SW_RESTORE);
    SetForegroundWindow(window);
    if (window != appWindow) AskPictureKeyboard();
}

bool PictureFilled() { return filledNow; }
bool PictureOnTop() { return onTopNow; }

std::string PictureMonitor() {
    HWND window = picture.load();
    MONITORINFOEXA info = {};
    info.cbSize = sizeof(info);
    if (!window || !GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return "";
    return info.szDevice;
}

std::vector<MonitorEntry> ListMonitors() {
    std::vector<MonitorEntry> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, (LPARAM)&monitors);
    OrderMonitors(monitors);
    return monitors;
}

void PictureBegin(HWND window) {
    picture = window;
    if (!window) return;
    if (state.kept.onTop) ApplyOnTop(window);
    if (!state.kept.monitor.empty() && ListMonitors().size() > 1) MoveToMonitor(window, state.kept.monitor);
    if (state.wantFill) SetFill(window, true);
}

// The dialog on this thread, owned by the app's window, while the picture waits. The plug-in writes
// its settings file on OK alone: a file written since is a confirmed dialog.
bool RunPictureSettings(VisModule* module) {
    WIN32_FILE_ATTRIBUTE_DATA before = {}, after = {};
    const bool existed = GetFileAttributesExA(state.pluginSettingsPath.c_str(), GetFileExInfoStandard, &before);
    JsonLine("picture_settings").Write();
    module->Config(module);
    const bool written = GetFileAttributesExA(state.pluginSettingsPath.c_str(), GetFileExInfoStandard, &after) &&
                         (!existed || !SameStamp(before, after));
    JsonLine("picture_settings_closed").Bool("restart", written).Write();
    return written;
}

bool PictureBetweenFrames(HWND window, VisModule* module) {
    if (settingsAsked.exchange(false)) {
        if (RunPictureSettings(module)) return true;
        keyboardAsked = true;
    }
    if (fillAsked.exchange(false)) {
        SetFill(window, !state.fill.filled);
        state.kept.fill = state.fill.filled;
        Keep();
    }
    if (onTopAsked.exchange(false)) {
        state.kept.onTop = !state.kept.onTop;
        ApplyOnTop(window);
        Keep();
    }
    if (monitorAsked.exchange(false)) {
        std::string device;
        {
            std::lock_guard<std::mutex> hold(askLock);
            device = askedMonitor;
        }
        MoveToMonitor(window, device);
        state.kept.monitor = device;
        Keep();
    }
    // Last: the window as the menu left it, then the keyboard.
    if (keyboardAsked.exchange(false) && window) GiveKeyboard(window);
    return false;
}

void PictureEnd(HWND window) {
    state.wantFill = state.fill.filled;
    SetFill(window, false);
    picture = nullptr;
}
