// The app's choices that are plain logic: which monitor the picture goes to and where on it, and
// its kept picture settings read back from a damaged file.
#include <gtest/gtest.h>
#include "host/app/app_settings.h"
#include "host/app/monitor_choice.h"

namespace {

MonitorEntry Monitor(const char* device, ScreenRect area, bool primary = false) {
    MonitorEntry entry;
    entry.device = device;
    entry.area = area;
    entry.work = {area.left, area.top, area.right, area.bottom - 40};
    entry.primary = primary;
    return entry;
}

// The platform lists the primary first; a person reads the desk from the left.
std::vector<MonitorEntry> Desk() {
    std::vector<MonitorEntry> monitors = {Monitor("\\\\.\\DISPLAY1", {0, 0, 1920, 1080}, true),
                                          Monitor("\\\\.\\DISPLAY2", {-1280, 56, 0, 1080}),
                                          Monitor("\\\\.\\DISPLAY3", {1920, 0, 3200, 1024})};
    OrderMonitors(monitors);
    return monitors;
}

TEST(MonitorChoice, NumbersFromTheLeftAndFindsTheKeptOneElseThePrimary) {
    const std::vector<MonitorEntry> monitors = Desk();
    ASSERT_EQ(monitors.size(), 3u);
    EXPECT_EQ(MonitorLabel(monitors, 0), "Monitor 1 (1280 x 1024)");
    EXPECT_EQ(MonitorLabel(monitors, 1), "Monitor 2 (1920 x 1080)");
    EXPECT_EQ(MonitorLabel(monitors, 2), "Monitor 3 (1280 x 1024)");
    struct Case { const char* kept; size_t chosen; };
    const Case cases[] = {
        {"\\\\.\\DISPLAY3", 2}, {"\\\\.\\display2", 0},  // by device name, in any case
        {"\\\\.\\DISPLAY9", 1}, {"", 1},                 // gone, or none kept: the primary
    };
    for (const Case& c : cases) EXPECT_EQ(ChooseMonitor(monitors, c.kept), c.chosen) << c.kept;
    EXPECT_EQ(ChooseMonitor({}, "x"), 0u);
    // Most of a window decides; a window on no monitor counts as the primary's.
    EXPECT_EQ(MonitorOfRect(monitors, {1800, 100, 2400, 500}), 2u);
    EXPECT_EQ(MonitorOfRect(monitors, {-50, 100, 300, 500}), 1u);
    EXPECT_EQ(MonitorOfRect(monitors, {9000, 9000, 9100, 9100}), 1u);
}

TEST(MonitorChoice, AWindowKeepsItsOffsetAndIsPulledInsideASmallerMonitor) {
    const ScreenRect big = {0, 0, 1920, 1040}, small = {1920, 0, 3200, 984};
    struct Case { ScreenRect window, from, to, placed; };
    const Case cases[] = {
        {{50, 40, 690, 420}, big, small, {1970, 40, 2610, 420}},          // same offset
        {{1500, 800, 1900, 1000}, big, small, {2800, 784, 3200, 984}},    // pushed inside
        {{10, 10, 1910, 1030}, big, small, {1920, 0, 3200, 984}},         // shrunk to fit
        {{1970, 40, 2610, 420}, small, {-1280, 56, 0, 1040}, {-1230, 96, -590, 476}},
    };
    for (const Case& c : cases) {
        const ScreenRect r = PlaceOnMonitor(c.window, c.from, c.to);
        EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}),
                  (std::vector<int>{c.placed.left, c.placed.top, c.placed.right, c.placed.bottom}));
    }
}

TEST(AppSettings, EachDamagedValueFallsBackToItsDefault) {
    struct Case { const char *fill, *onTop, *monitor; bool wantFill, wantOnTop; const char* wantMonitor; };
    const Case cases[] = {
        {"1", "1", "\\\\.\\DISPLAY2", true, true, "\\\\.\\DISPLAY2"},
        {"", "", "", false, false, ""},
        {"yes", "2", "\\\\.\\DISPLAY\x01", false, false, ""},
        {"0", "-1", "0123456789012345678901234567890123", false, false, ""},
    };
    for (const Case& c : cases) {
        const AppSettings s = AppSettingsFromText(c.fill, c.onTop, c.monitor);
        EXPECT_EQ(s.fill, c.wantFill) << c.fill;
        EXPECT_EQ(s.onTop, c.wantOnTop) << c.onTop;
        EXPECT_EQ(s.monitor, c.wantMonitor);
    }
}

}  // namespace
