// The settings record, the drawing size it sets, and their INI file beside the library.
// Private-profile functions only: each write lands in the file at once, nothing is cached.
#include "plugin/settings.h"
#include "plugin/settings_path.h"

Settings settings;
int drawWidth = 640;
int drawHeight = 380;

namespace {
// A Quit without any load (a host that never called Init or Config) would otherwise overwrite
// the user's file with the built-in defaults.
bool settingsLoaded = false;
}  // namespace

bool SettingsFilePath(VisModule* module, char* buffer) {
    char libraryPath[kSettingsPathSize];
    // NOTE: a path longer than the buffer comes back cut, unterminated (Wine 8, Windows XP), and
    // reported as the buffer's size; the path rule refuses that length.
    DWORD length = GetModuleFileNameA(module->instance, libraryPath, kSettingsPathSize);
    return SettingsPathFromLibraryPath(libraryPath, length, buffer, kSettingsPathSize);
}

namespace {

int ReadInt(const char* section, const char* key, int fallback, const char* path) {
    // The reader yields the low 32 bits of what it parsed; as signed, "-5" comes back as -5.
    return (int)GetPrivateProfileIntA(section, key, fallback, path);
}

void WriteInt(const char* section, const char* key, int value, const char* path) {
    char text[16];
    wsprintfA(text, "%d", value);
    WritePrivateProfileStringA(section, key, text, path);
}

}  // namespace

Settings StoredSettings(VisModule* module) {
    const Settings defaults;
    Settings stored = defaults;
    char path[kSettingsPathSize];
    if (SettingsFilePath(module, path)) {
        const char* section = module->description;
        stored.width = ReadInt(section, "Width", defaults.width, path);
        stored.height = ReadInt(section, "Height", defaults.height, path);
        stored.fullscreen = ReadInt(section, "fullscreen", defaults.fullscreen, path) != 0;
        stored.configX = ReadInt(section, "Config_X", defaults.configX, path);
        stored.configY = ReadInt(section, "Config_Y", defaults.configY, path);
        stored.showSongTitle = ReadInt(section, "ShowSongTitle", defaults.showSongTitle, path) != 0;
        stored.flashScreen = ReadInt(section, "FlashScreen", defaults.flashScreen, path) != 0;
    }
    return stored;
}

void LoadSettings(VisModule* module) {
    settings = StoredSettings(module);
    settingsLoaded = true;
    drawWidth = settings.fullscreen ? kFullscreenWidth : settings.width;
    drawHeight = settings.fullscreen ? kFullscreenHeight : settings.height;
}

void SaveSettings(VisModule* module) {
    char path[kSettingsPathSize];
    if (!settingsLoaded || !SettingsFilePath(module, path)) return;
    const char* section = module->description;
    WriteInt(section, "fullscreen", settings.fullscreen ? 1 : 0, path);
    WriteInt(section, "ShowSongTitle", settings.showSongTitle ? 1 : 0, path);
    WriteInt(section, "FlashScreen", settings.flashScreen ? 1 : 0, path);
    // In full screen width and height hold the display mode's size; the file keeps the window's.
    if (settings.fullscreen) return;
    WriteInt(section, "Width", settings.width, path);
    WriteInt(section, "Height", settings.height, path);
    WriteInt(section, "Config_X", settings.configX, path);
    WriteInt(section, "Config_Y", settings.configY, path);
}
