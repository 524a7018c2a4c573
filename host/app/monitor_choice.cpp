// Which monitor the picture shows on, as a person picks it: the monitors numbered and named for a
// menu, a kept choice found again by device name, and a window's place carried to another monitor.
#include "host/app/monitor_choice.h"
#include <algorithm>
#include <cctype>

namespace {
bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
    return true;
}

long long Overlap(const ScreenRect& a, const ScreenRect& b) {
    const long long w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const long long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

size_t Primary(const std::vector<MonitorEntry>& monitors) {
    for (size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].primary) return i;
    return 0;
}
}  // namespace

void OrderMonitors(std::vector<MonitorEntry>& monitors) {
    std::stable_sort(monitors.begin(), monitors.end(), [](const MonitorEntry& a, const MonitorEntry& b) {
        return a.area.left != b.area.left ? a.area.left < b.area.left : a.area.top < b.area.top;
    });
}

std::string MonitorLabel(const std::vector<MonitorEntry>& monitors, size_t index) {
    const ScreenRect& area = monitors[index].area;
    return "Monitor " + std::to_string(index + 1) + " (" + std::to_string(area.Width()) + " x " +
           std::to_string(area.Height()) + ")";
}

size_t ChooseMonitor(const std::vector<MonitorEntry>& monitors, const std::string& kept) {
    if (monitors.empty()) return 0;
    for (size_t i = 0; i < monitors.size(); ++i)
        if (!kept.empty() && SameName(monitors[i].device, kept)) return i;
    return Primary(monitors);
}

size_t MonitorOfRect(const std::vector<MonitorEntry>& monitors, const ScreenRect& window) {
    size_t best = Primary(monitors);
    long long most = 0;
    for (size_t i = 0; i < monitors.size(); ++i)
        if (Overlap(monitors[i].area, window) > most) {
            most = Overlap(monitors[i].area, window);
            best = i;
        }
    return best;
}

ScreenRect PlaceOnMonitor(const ScreenRect& window, const ScreenRect& from, const ScreenRect& to) {
    const int width = std::min(window.Width(), to.Width()), height = std::min(window.Height(), to.Height());
    int left = to.left + (window.left - from.left), top = to.top + (window.top - from.top);
    left = std::max(to.left, std::min(left, to.right - width));
    top = std::max(to.top, std::min(top, to.bottom - height));
    return ScreenRect{left, top, left + width, top + height};
}
