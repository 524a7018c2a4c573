// Reading the listening settings' values back: whatever a damaged file holds, a run starts on
// the default device at gain 1 rather than on nonsense. Platform-free.
#include "host/listen/listen_settings.h"
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include "host/listen/listen_gain.h"

namespace {
const size_t kLongestDevice = 255;  // the longest id or friendly name the enumeration keeps
}  // namespace

ListenSettings ListenSettingsFromText(const std::string& device, const std::string& gain) {
    ListenSettings settings;
    bool clean = device.size() <= kLongestDevice;
    for (char c : device) clean = clean && (unsigned char)c >= 0x20 && c != 0x7f;
    if (clean) settings.device = device;
    const char* text = gain.c_str();
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (end != text && *end == '\0' && errno == 0 && value >= kGainLeast && value <= kGainMost)
        settings.gain = GainClamp(value);
    return settings;
}

std::string ListenGainToText(double gain) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.4g", gain);
    return text;
}
