// The picture's window as the app places it: filling its monitor, on which monitor, on top of the
// others, and the plug-in's settings dialog during a run. Asked for from any thread (keys, the
// menu); carried out on the visualisation thread between frames, which owns the window, and
// applied again after every start of the run.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "host/app/app_settings.h"
#include "host/app/monitor_choice.h"
#include "plugin/vis_module.h"

// Before the first run: what was kept (saved again to `appSettingsPath` at each change), whether
// --fill-screen asks for the fill, and the plug-in's own settings file, whose writing tells that
// its dialog ended with OK.
void PictureStart(const AppSettings& kept, bool fillScreen, const std::string& appSettingsPath,
                  const std::string& pluginSettingsPath);

// Requests, from any thread; the next gap between frames carries them out.
void AskFillToggle();
void AskOnTopToggle();
void AskMonitor(const std::string& device);
void AskPictureSettings();
// The keyboard back to the picture, after a menu or box of the app has closed.
void AskPictureKeyboard();

// The picture's window from PictureBegin to PictureEnd, else null. Any thread.
HWND PictureWindow();
// The picture in front, and the keyboard asked for it; the app's window where there is no picture
// yet, which is also restored when minimised (main thread).
void BringPictureForward(HWND appWindow);

// What the menu shows, from any thread: as last carried out.
bool PictureFilled();
bool PictureOnTop();
// The device name of the monitor most of the picture is on ("" without a picture).
std::string PictureMonitor();
// Every monitor of the desktop, ordered as OrderMonitors does.
std::vector<MonitorEntry> ListMonitors();

// On the visualisation thread. After Init: on top, the kept monitor and the fill, as asked.
void PictureBegin(HWND window);
// Between frames: what was asked. True when the run must restart: the plug-in's settings dialog
// ended with OK, and a player then quits and starts the visualisation again.
bool PictureBetweenFrames(HWND window, VisModule* module);
// On the visualisation thread between runs: the plug-in's settings dialog; true when it ended with OK.
bool RunPictureSettings(VisModule* module);
// Before Quit: the window back as the plug-in should store it (the fill is taken up again by the
// next PictureBegin).
void PictureEnd(HWND window);
