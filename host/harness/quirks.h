// Other hosts' ways of driving a plug-in and other drivers under it (--quirk): which are on, and the few places where the run
// loop asks whether to behave differently. Each quirk changes one thing; they combine freely.
#pragma once
#include <windows.h>
#include <string>
#include "host/harness/quirk_names.h"
#include "host/run/options.h"
#include "plugin/vis_module.h"

// Combinations that cannot run; false with a reason.
bool QuirksValid(const HostOptions& options, std::string& error);
bool QuirkOn(unsigned quirk);
// Logs one "quirk" line per quirk in force.
void LogQuirks();

// Under no-16bit-modes, a mode the plug-in's display calls neither see nor get: one below 32 bits,
// as for a process whose manifest targets Windows 8 or later.
bool QuirkHidesMode(const DEVMODEA& mode);
// A mode request the display refuses by a quirk: a hidden mode, or under size-only-modes (as
// Windows 11 24H2 is reported to do) any request that names a depth or a refresh rate.
bool QuirkRefusesMode(const DEVMODEA& mode);

// The answer to a host query when a quirk overrides it: true with `answer` set, and the line logged.
bool QuirkAnswersQuery(WPARAM wParam, LPARAM query, LRESULT& answer);

// Start of the visualisation thread: under destroy-before-quit the plug-in's owner becomes a host
// window of this thread, made by `makeHostWindow`, as when the host calls Init on its main thread.
void QuirksStartThread(VisModule* module, HWND (*makeHostWindow)(const char* title, int x, int y));
// Just before Quit: destroys that host window, which destroys the plug-in's owned window first.
void QuirkBeforeQuit(HWND pluginWindow);

// Around Init: no-rate leaves the rate fields 0 during the call and fills them afterwards.
void QuirkBeforeInit(VisModule* module);
void QuirkAfterInit(VisModule* module);

// One Render call: on this thread, or under render-thread on the host's render thread while this
// thread keeps dispatching its messages through `dispatch`.
int QuirkRender(VisModule* module, void (*dispatch)());
// Ends the render thread, if one was started; before Quit.
void QuirkStopRenderThread();
