// Stand-in: the settings file is built in its own change.
#include "plugin/settings.h"
Settings settings;
int drawWidth = 640;
int drawHeight = 380;
bool SettingsFilePath(VisModule*, char* buffer) { buffer[0] = 0; return false; }
void LoadSettings(VisModule*) {
    settings = Settings();
    drawWidth = settings.fullscreen ? 1024 : settings.width;
    drawHeight = settings.fullscreen ? 768 : settings.height;
}
void SaveSettings(VisModule*) {}
