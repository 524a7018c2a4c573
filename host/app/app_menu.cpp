// The app's one menu and its keys, built from one table: opened from the notification icon, from
// M or the menu key in the picture, and as the app window's system menu. Main thread.
#include "host/app/app_menu.h"
#include <vector>
#include "host/app/app_about.h"
#include "host/app/app_end.h"
#include "host/app/app_listen.h"
#include "host/app/app_messages.h"
#include "host/app/app_picture.h"
#include "host/base/json_log.h"
#include "host/listen/listen_gain.h"

namespace {

enum class Row {
    Command,    // an item, with its keys
    KeyOnly,    // a key with no item
    Separator,
    GainNow,    // the current gain, greyed
    Devices,    // "Listen to": the default output, then every device
    Monitors,   // "Show on": every monitor, where there is more than one
};

struct AppCommand {
    Row row;
    const char* text;
    const char* keyName;   // beside the item and in "Keys..."; null for none
    WPARAM keys[2];        // the virtual keys that run it (0: none)
    void (*run)(HWND appWindow, WPARAM key);
    bool (*checked)();     // null: never checked
};

std::string userFolder, logPath;

void Louder(HWND window, WPARAM key) {
    AppListenGainStep(1, (unsigned)key);
    PostMessageA(window, kAppListenStatusChanged, 0, 0);
}
void Quieter(HWND window, WPARAM key) {
    AppListenGainStep(-1, (unsigned)key);
    PostMessageA(window, kAppListenStatusChanged, 0, 0);
}
void Normal(HWND window, WPARAM key) {
    AppListenGainStep(0, (unsigned)key);
    PostMessageA(window, kAppListenStatusChanged, 0, 0);
}

// A box of the app's own; the picture goes on drawing behind it, and has the keyboard again after.
// Without an owner: the app's own window has no area to centre a box on.
void Tell(HWND window, const char* title, const std::string& text) {
    JsonLine("app_box").Str("title", title).Write();
    MessageBoxA(nullptr, text.c_str(), title, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
    BringPictureForward(window);
}

// One table: the menu's items in their order, the keys in the picture, and "Keys...".
const AppCommand kAppCommands[] = {
    {Row::Devices, "Listen to", nullptr, {}, nullptr, nullptr},
    {Row::Separator, nullptr, nullptr, {}, nullptr, nullptr},
    {Row::GainNow, nullptr, nullptr, {}, nullptr, nullptr},
    {Row::Command, "Louder", "+", {VK_OEM_PLUS, VK_ADD}, Louder, nullptr},
    {Row::Command, "Quieter", "-", {VK_OEM_MINUS, VK_SUBTRACT}, Quieter, nullptr},
    {Row::Command, "Normal", "0", {'0', VK_NUMPAD0}, Normal, nullptr},
    {Row::Separator, nullptr, nullptr, {}, nullptr, nullptr},
    {Row::Command, "Fill the screen", "F11", {VK_F11}, [](HWND, WPARAM) { AskFillToggle(); }, PictureFilled},
    {Row::Monitors, "Show on", nullptr, {}, nullptr, nullptr},
    {Row::Command, "Keep on top", nullptr, {}, [](HWND, WPARAM) { AskOnTopToggle(); }, PictureOnTop},
    {Row::Separator, nullptr, nullptr, {}, nullptr, nullptr},
    {Row::Command, "Picture settings...", nullptr, {}, [](HWND, WPARAM) { AskPictureSettings(); }, nullptr},
    {Row::Command, "Keys...", nullptr, {}, [](HWND w, WPARAM) { Tell(w, "Smearscope keys", AppKeysText()); }, nullptr},
    {Row::Command, "About Smearscope", nullptr, {},
     [](HWND w, WPARAM) { Tell(w, "About Smearscope", AboutText(userFolder, logPath)); }, nullptr},
    {Row::Separator, nullptr, nullptr, {}, nullptr, nullptr},
    {Row::Command, "Exit", "Esc", {VK_ESCAPE}, [](HWND, WPARAM) { RequestAppClose(); }, nullptr},
    {Row::KeyOnly, "This menu", "M or the menu key", {'M', VK_APPS},
     [](HWND w, WPARAM) { OpenAppMenuAtPicture(w, "key"); }, nullptr},
};
const size_t kCommandCount = sizeof(kAppCommands) / sizeof(kAppCommands[0]);

// Item ids: a row's is (index + 1) * 16, the devices' and monitors' from their bases; each a
// multiple of 16 below 0xF000, as system menu items must be (the system uses the low four bits).
const UINT kIdStep = 16;
const UINT kDeviceIds = 0x4000;    // the default output, then device i at kDeviceIds + (i + 1) * 16
const UINT kMonitorIds = 0x8000;   // monitor i at kMonitorIds + i * 16
const UINT kIdsEnd = 0xF000;

// What the open menu offered, to resolve the id picked: read when it opened.
struct Offered {
    std::vector<AudioDevice> devices;
    std::vector<MonitorEntry> monitors;
    HMENU devicesMenu = nullptr, monitorsMenu = nullptr;
};
Offered offered;

const DWORD kSoonestCloseMs = 100;  // no person closes a menu sooner than this

int openMenus = 0;        // a popup of ours or the system menu is being tracked
UINT systemItems = 0;     // the system menu's own items, before ours
const UINT_PTR kRectTimer = 0x5A;
struct Pending {
    HMENU menu;
    std::string name;
};
std::vector<Pending> pendingRects;  // popups opened whose item rectangles are not yet logged

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '&' ? std::string("&&") : std::string(1, c);
    return out;
}

HMENU DevicesMenu() {
    HMENU menu = CreatePopupMenu();
    offered.devices = AppListenDevices();
    const size_t chosen = AppListenChosen(offered.devices);
    AppendMenuA(menu, MF_STRING | (chosen == offered.devices.size() ? MF_CHECKED : 0), kDeviceIds,
                "The default output (follow it)");
    for (size_t i = 0; i < offered.devices.size() && kDeviceIds + (i + 1) * kIdStep < kMonitorIds; ++i) {
        const AudioDevice& device = offered.devices[i];
        const std::string text = std::to_string(device.number) + "  " + Escaped(device.name) +
                                 (device.output ? "" : " (recording)");
        AppendMenuA(menu, MF_STRING | (i == chosen ? MF_CHECKED : 0), kDeviceIds + (i + 1) * kIdStep, text.c_str());
    }
    return offered.devicesMenu = menu;
}

HMENU MonitorsMenu() {
    HMENU menu = CreatePopupMenu();
    const std::string current = PictureMonitor();
    for (size_t i = 0; i < offered.monitors.size(); ++i) {
        const bool here = ChooseMonitor(offered.monitors, current) == i;
        AppendMenuA(menu, MF_STRING | (here ? MF_CHECKED : 0), kMonitorIds + i * kIdStep,
                    MonitorLabel(offered.monitors, i).c_str());
    }
    return offered.monitorsMenu = menu;
}

// The table's items, appended to `menu` with the states they have now.
void AppendItems(HMENU menu) {
    offered.monitors = ListMonitors();
    offered.devicesMenu = offered.monitorsMenu = nullptr;
    for (size_t i = 0; i < kCommandCount; ++i) {
        const AppCommand& c = kAppCommands[i];
        switch (c.row) {
        case Row::KeyOnly:
            break;
        case Row::Separator:
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            break;
        case Row::GainNow:
            AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, GainText(AppListenGain()).c_str());
            break;
        case Row::Devices:
            AppendMenuA(menu, MF_POPUP, (UINT_PTR)DevicesMenu(), c.text);
            break;
        case Row::Monitors:
            if (offered.monitors.size() > 1) AppendMenuA(menu, MF_POPUP, (UINT_PTR)MonitorsMenu(), c.text);
            break;
        case Row::Command: {
            const std::string text = c.keyName ? std::string(c.text) + "\t" + c.keyName : c.text;
            AppendMenuA(menu, MF_STRING | (c.checked && c.checked() ? MF_CHECKED : 0), (i + 1) * kIdStep, text.c_str());
            break;
        }
        }
    }
}

bool RunCommand(HWND window, UINT id) {
    if (id < kIdStep || id >= kIdsEnd || id % kIdStep) return false;
    if (id >= kMonitorIds) {
        const size_t i = (id - kMonitorIds) / kIdStep;
        if (i >= offered.monitors.size()) return false;
        JsonLine("menu_command").Str("item", MonitorLabel(offered.monitors, i).c_str()).Write();
        AskMonitor(offered.monitors[i].device);
        return true;
    }
    if (id >= kDeviceIds) {
        const size_t i = (id - kDeviceIds) / kIdStep;
        if (i > offered.devices.size()) return false;
        const std::string device = i == 0 ? "" : offered.devices[i - 1].id;
        JsonLine("menu_command").Str("item", i == 0 ? "default" : offered.devices[i - 1].name.c_str()).Write();
        AppListenSwitch(device);
        return true;
    }
    const size_t row = id / kIdStep - 1;
    if (row >= kCommandCount || kAppCommands[row].row != Row::Command) return false;
    JsonLine("menu_command").Str("item", kAppCommands[row].text).Write();
    kAppCommands[row].run(window, 0);
    return true;
}

// The popup's item rectangles, once its window is placed: what a script clicks.
void LogItemRects() {
    for (size_t p = 0; p < pendingRects.size();) {
        const Pending& pending = pendingRects[p];
        RECT first;
        if (!GetMenuItemRect(nullptr, pending.menu, 0, &first)) {
            ++p;
            continue;
        }
        const int count = GetMenuItemCount(pending.menu);
        for (int i = 0; i < count; ++i) {
            RECT r = {};
            char text[256] = {};
            GetMenuItemRect(nullptr, pending.menu, i, &r);
            GetMenuStringA(pending.menu, i, text, sizeof(text), MF_BYPOSITION);
            const UINT state = GetMenuState(pending.menu, i, MF_BYPOSITION);
            JsonLine("menu_item").Str("menu", pending.name.c_str()).Int("index", i).Str("text", text)
                .Bool("checked", (state & MF_CHECKED) != 0).Bool("grayed", (state & MF_GRAYED) != 0)
                .Int("left", r.left).Int("top", r.top).Int("right", r.right).Int("bottom", r.bottom).Write();
        }
        pendingRects.erase(pendingRects.begin() + p);
    }
}

// The system menu: its own items, then ours as they are now.
void FillSystemMenu(HMENU menu) {
    if (!systemItems) systemItems = GetMenuItemCount(menu);
    while ((UINT)GetMenuItemCount(menu) > systemItems) DeleteMenu(menu, systemItems, MF_BYPOSITION);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendItems(menu);
}

}  // namespace

void SetAppMenuPlaces(const std::string& folder, const std::string& log) {
    userFolder = folder;
    logPath = log;
}

void OpenAppMenu(HWND window, POINT at, const char* way) {
    ++openMenus;
    // NOTE: a popup closes when the user clicks elsewhere only while its owner is in front, and
    // does not close at once only when a message follows it (Windows' own advice for icon menus).
    SetForegroundWindow(window);
    HMENU menu = CreatePopupMenu();
    AppendItems(menu);
    JsonLine("menu_open").Str("way", way).Int("x", at.x).Int("y", at.y).Write();
    UINT id = 0;
    // HACK: under Wine a popup opened just after a click in another process's window (the
    // notification area's) sometimes ends before it is shown; one that ended sooner than anybody
    // can close a menu is opened once more.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const DWORD opened = GetTickCount();
        id = (UINT)TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, window, nullptr);
        if (id || GetTickCount() - opened >= kSoonestCloseMs) break;
        JsonLine("menu_gone_at_once").Int("attempt", attempt).Write();
    }
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
    --openMenus;
    JsonLine("menu_closed").Int("id", id).Write();
    BringPictureForward(window);
    if (id) RunCommand(window, id);
}

void OpenAppMenuAtPicture(HWND window, const char* way) {
    POINT at = {};
    RECT area = {};
    HWND picture = PictureWindow();
    GetCursorPos(&at);
    if (picture && GetWindowRect(picture, &area) && !PtInRect(&area, at)) at = {area.left + 24, area.top + 24};
    OpenAppMenu(window, at, way);
}

bool RunAppKey(HWND window, WPARAM key) {
    for (const AppCommand& c : kAppCommands)
        for (WPARAM k : c.keys)
            if (k && k == key && c.run) {
                JsonLine("app_key").Int("key", (long long)key).Write();
                c.run(window, key);
                return true;
            }
    return false;
}

bool AppMenuMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ENTERMENULOOP:
        ++openMenus;
        return false;
    case WM_EXITMENULOOP:
        --openMenus;
        pendingRects.clear();
        KillTimer(window, kRectTimer);
        return false;
    case WM_INITMENUPOPUP: {
        HMENU menu = (HMENU)wParam;
        if (menu == GetSystemMenu(window, FALSE)) FillSystemMenu(menu);
        pendingRects.push_back({menu, menu == offered.devicesMenu    ? "Listen to"
                                      : menu == offered.monitorsMenu ? "Show on"
                                                                     : "menu"});
        SetTimer(window, kRectTimer, 20, nullptr);
        return false;
    }
    case WM_TIMER:
        if (wParam != kRectTimer) return false;
        LogItemRects();
        if (pendingRects.empty()) KillTimer(window, kRectTimer);
        return true;
    case WM_SYSCOMMAND:
        return RunCommand(window, (UINT)(wParam & 0xFFF0));
    case WM_COMMAND:
        // NOTE: Wine sends a system menu's submenu items as WM_COMMAND, Windows as WM_SYSCOMMAND.
        return lParam == 0 && HIWORD(wParam) == 0 && RunCommand(window, LOWORD(wParam));
    }
    return false;
}

bool AppMenuOpen() { return openMenus > 0; }

std::string AppKeysText() {
    std::string text = "Keys in the picture:\n\n";
    for (const AppCommand& c : kAppCommands)
        if (c.keyName) text += std::string(c.keyName) + "\t" + c.text + "\n";
    return text + "\nH in the picture shows the plug-in's own keys.";
}
