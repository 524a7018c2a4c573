// The listening settings file through GetPrivateProfileStringA and WritePrivateProfileStringA: the
// platform's own INI handling, as the plug-in keeps its settings, rather than a parser of ours.
#include "host/listen/listen_settings.h"
#include <windows.h>

namespace {
const char kSection[] = "Listen";
}  // namespace

ListenSettings ListenSettingsLoad(const std::string& path) {
    char device[512] = {}, gain[64] = {};
    GetPrivateProfileStringA(kSection, "Device", "", device, sizeof(device), path.c_str());
    GetPrivateProfileStringA(kSection, "Gain", "1", gain, sizeof(gain), path.c_str());
    return ListenSettingsFromText(device, gain);
}

bool ListenSettingsSave(const std::string& path, const ListenSettings& settings) {
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0) CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    return WritePrivateProfileStringA(kSection, "Device", settings.device.c_str(), path.c_str()) &&
           WritePrivateProfileStringA(kSection, "Gain", ListenGainToText(settings.gain).c_str(), path.c_str());
}
