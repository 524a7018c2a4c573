// The app's [App] section through GetPrivateProfileStringA and WritePrivateProfileStringA, in the
// same file as the listening settings.
#include <windows.h>
#include "host/app/app_settings.h"

namespace {
const char kSection[] = "App";

std::string Read(const char* key, const std::string& path) {
    char text[64] = {};
    GetPrivateProfileStringA(kSection, key, "", text, sizeof(text), path.c_str());
    return text;
}
}  // namespace

AppSettings AppSettingsLoad(const std::string& path) {
    return AppSettingsFromText(Read("Fill", path), Read("OnTop", path), Read("Monitor", path));
}

bool AppSettingsSave(const std::string& path, const AppSettings& settings) {
    return WritePrivateProfileStringA(kSection, "Fill", settings.fill ? "1" : "0", path.c_str()) &&
           WritePrivateProfileStringA(kSection, "OnTop", settings.onTop ? "1" : "0", path.c_str()) &&
           WritePrivateProfileStringA(kSection, "Monitor", settings.monitor.c_str(), path.c_str());
}
