// What the app keeps about its picture between starts, beside the listening choices in its
// settings file: section [App], keys Fill, OnTop and Monitor.
#pragma once
#include <string>

struct AppSettings {
    bool fill = false;      // the picture fills its monitor
    bool onTop = false;     // the picture stays above other windows
    std::string monitor;    // the device name of the monitor chosen in "Show on"; empty: none chosen
};

// The settings from the file's three texts; each damaged value (a switch that is not 0 or 1, a
// monitor name with control characters or longer than a device name can be) gives its default.
// Platform-free.
AppSettings AppSettingsFromText(const std::string& fill, const std::string& onTop, const std::string& monitor);
// Through the platform's private-profile functions, as the listening settings are kept (`path`
// absolute). A missing file reads as the defaults; false when the file cannot be written.
AppSettings AppSettingsLoad(const std::string& path);
bool AppSettingsSave(const std::string& path, const AppSettings& settings);
