// Reading the app's kept picture choices back: whatever a damaged file holds, the picture starts
// windowed, not on top, where the plug-in puts it. Platform-free.
#include "host/app/app_settings.h"

namespace {
const size_t kLongestDevice = 31;  // a display device name has room for 32 characters with its end

bool Switch(const std::string& text, bool fallback) { return text == "1" ? true : text == "0" ? false : fallback; }
}  // namespace

AppSettings AppSettingsFromText(const std::string& fill, const std::string& onTop, const std::string& monitor) {
    AppSettings settings;
    settings.fill = Switch(fill, settings.fill);
    settings.onTop = Switch(onTop, settings.onTop);
    bool clean = monitor.size() <= kLongestDevice;
    for (char c : monitor) clean = clean && (unsigned char)c >= 0x20 && c != 0x7f;
    if (clean) settings.monitor = monitor;
    return settings;
}
