// The app's listening: the one place it reaches the host's capture of what the PC plays, for
// the frames' blocks, the title the plug-in asks for, the gain, the device it listens to (switched
// on a thread of the app's own) and the choices it remembers.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "host/app/app_options.h"
#include "host/listen/device_match.h"
#include "plugin/vis_module.h"

// Starts capturing: the device of --device, else the one kept in the app's settings file, else the
// default output (loopback; the recording device where loopback is refused), followed when it
// changes; at the gain kept there. A --device is kept for the next start. With `logSpectrum`
// each frame's blocks leave a line in the log (--log only: the user's own log stays short).
void AppListenStart(const AppOptions& options, HWND appWindow, bool logSpectrum);
void AppListenStop();
// Before each Render: the module's spectrum and waveform from the newest samples (silence while
// the device is being switched).
void AppListenFill(VisModule* module);
// The device's name, the title the plug-in shows.
std::string AppListenTitle();
// The gain one 3 dB step louder (+1), quieter (-1), or back to 1 (0); kept. `key` is the key that
// asked (0 for the menu), for the log.
void AppListenGainStep(int change, unsigned key);
double AppListenGain();
// The app window's title: "Smearscope", the gain when it is not 1, and that the microphone is shown.
std::string AppListenStatus();
// The notice the capture gave when a recording device stands in ("" before one).
std::string AppListenMicrophoneNotice();

// The devices for "Listen to", numbered as --list-devices numbers them (COM on the calling thread).
std::vector<AudioDevice> AppListenDevices();
// Which of `devices` is listened to as kept; devices.size() for the default output (followed).
size_t AppListenChosen(const std::vector<AudioDevice>& devices);
// Listens to `device` (an id; "" the default output, followed) from now on, and keeps it as --device
// does. Returns at once: the stop and the start are carried out on the app's switching thread.
void AppListenSwitch(const std::string& device);
