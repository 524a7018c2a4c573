// The persisted settings record, the drawing size derived from it, and the INI file that holds them.
// The file lives beside the library as "Smearscope.ini"; one section named by the description.
#pragma once
#include "plugin/vis_module.h"

struct Settings {
    int width = 640;
    int height = 380;
    bool fullscreen = false;
    int configX = 50;
    int configY = 50;
    bool showSongTitle = false;
    bool flashScreen = false;
};

extern Settings settings;
// The drawing size in full screen: the display mode the window switches to.
const int kFullscreenWidth = 1024;
const int kFullscreenHeight = 768;
extern int drawWidth;
extern int drawHeight;

const int kSettingsPathSize = 512;
// Writes the settings file's path into buffer (kSettingsPathSize chars). Returns false, leaving an
// empty buffer, when the library's own path does not fit or was truncated: never use a cut path.
bool SettingsFilePath(VisModule* module, char* buffer);
// The file's values, defaults for what it lacks (all of them without a usable path); touches nothing.
Settings StoredSettings(VisModule* module);
// The record and the drawing size from the file. Without a usable path nothing is written later.
void LoadSettings(VisModule* module);
void SaveSettings(VisModule* module);

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// A size box's text as a size: unsigned decimal digits only (surrounding spaces allowed), at most
// INT_MAX. False for anything else, which leaves the stored size as it was.
bool ParseSizeText(const char* text, int* value);
