// Which monitor the picture shows on, as a person picks it: the monitors numbered and named for a
// menu, a kept choice found again by device name, and a window's place carried to another monitor.
// Platform-free, so it is unit-tested natively.
#pragma once
#include <string>
#include <vector>

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct MonitorEntry {
    std::string device;   // the platform's device name ("\\.\DISPLAY2"), what a choice is kept by
    ScreenRect area;      // the whole monitor, in virtual-screen pixels
    ScreenRect work;      // without the taskbar
    bool primary = false;
};

// Orders the monitors as a person reads them, left to right, then top to bottom: "Monitor 1" is
// the leftmost whatever order the platform lists them in.
void OrderMonitors(std::vector<MonitorEntry>& monitors);
// "Monitor 2 (1280 x 1024)" for the monitor at `index` of an ordered list.
std::string MonitorLabel(const std::vector<MonitorEntry>& monitors, size_t index);
// The monitor kept by its device name (case-insensitive), else the primary one, else the first;
// monitors.size() for an empty list.
size_t ChooseMonitor(const std::vector<MonitorEntry>& monitors, const std::string& kept);
// The monitor holding most of `window` (the first on a tie, the primary when it touches none).
size_t MonitorOfRect(const std::vector<MonitorEntry>& monitors, const ScreenRect& window);
// `window` carried from work area `from` to `to`: the same offset from the top left corner,
// then shrunk to fit and pushed inside, so that its title bar can always be reached.
ScreenRect PlaceOnMonitor(const ScreenRect& window, const ScreenRect& from, const ScreenRect& to);
