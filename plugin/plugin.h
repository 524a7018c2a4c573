// The plug-in's module-level identity and lifecycle state: description, module record, quit flag.
// Everything here lives as long as the library stays loaded.
#pragma once
#include <atomic>
#include "plugin/vis_module.h"

// One string serves as header and module description, settings section, class name and title.
extern const char kPluginDescription[];

extern VisModule visModule;
extern VisHeader visHeader;
// Set by Escape, by the window's destruction and by every failed start-up; never cleared. Atomic:
// a host may call Render on another thread than the window's, and Render reads it first.
extern std::atomic<bool> quitRequested;

VisModule* GetModule(int index);
void Config(VisModule* module);
int Render(VisModule* module);
void Quit(VisModule* module);
// Init lives with the window it builds (window/display_window.cpp).
int Init(VisModule* module);

extern "C" VisHeader* winampVisGetHeader();

// Host queries, sent synchronously to the host's main window.
LRESULT QueryHost(VisModule* module, WPARAM wParam, LPARAM query);
