// What listening remembers between runs: the chosen device and the gain, in a settings file of the
// program's own (an INI file: section [Listen], keys Device and Gain).
#pragma once
#include <string>

struct ListenSettings {
    std::string device;  // as --device takes it; empty: the default device, followed
    double gain = 1.0;
};

// The settings from the file's two texts; each damaged value (a gain that is no number or out of
// range, a device name with control characters or longer than a name can be) gives its default.
// Platform-free.
ListenSettings ListenSettingsFromText(const std::string& device, const std::string& gain);
// The gain as the file keeps it: "1.414".
std::string ListenGainToText(double gain);
// Through the platform's private-profile functions. `path` must be absolute: they take a bare
// name to be in the Windows folder. A missing file reads as the defaults. Saving creates the
// file's folder (one level) when it is missing; false when the file cannot be written.
ListenSettings ListenSettingsLoad(const std::string& path);
bool ListenSettingsSave(const std::string& path, const ListenSettings& settings);
