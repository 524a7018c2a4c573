// Other hosts' ways of driving a plug-in and other drivers under it (--quirk): which are on, and the few places where the run
// loop asks whether to behave differently. Each quirk changes one thing; they combine freely.
#pragma once
#include <windows.h>
#include <string>
#include "host/run/options.h"
#include "plugin/vis_module.h"

enum : unsigned {
    kQuirkConfigBeforeInit = 1u << 0,   // Config, dismissed, before Init
    kQuirkRenderThread = 1u << 1,       // Render from a host thread of its own
    kQuirkSilentPlaylist = 1u << 2,     // position query answers 0, title query null
    kQuirkDestroyBeforeQuit = 1u << 3,  // the host window goes before Quit, taking ours with it
    kQuirkIgnoreResult = 1u << 4,       // Render goes on after it returned 1
    kQuirkNoRate = 1u << 5,             // sample rate and channel count 0 during Init
    kQuirkSwapExchange = 1u << 6,       // the back buffer holds noise after each swap
    kQuirkSoftwareAccum = 1u << 7,      // every accumulation format is the software renderer's
    kQuirkMixedAccum = 1u << 8,         // all but the last accumulation format are
    kQuirkNo16BitModes = 1u << 9,       // display modes below 32 bits neither listed nor taken
    kQuirkTimerThread = 1u << 10,       // Init on a loader's thread, Render from a multimedia timer
    kQuirkNoAccum = 1u << 11,           // no pixel format lists an accumulation buffer
    kQuirkVendorGl = 1u << 12,          // glGetString answers as a vendor's driver
    kQuirkSizeOnlyModes = 1u << 13,     // a mode request naming a depth or a refresh rate is refused
    kQuirkTimerBeforeInit = 1u << 14,   // timer-thread's timer already ticks during Init
    kQuirkCoarseSubpixel = 1u << 15,    // GL_SUBPIXEL_BITS answers 4
    kQuirkSoftwareChosen = 1u << 16,    // software-accum, and ChoosePixelFormat answers such a format
    kQuirkProxyRefuses = 1u << 17,      // a proxy texture reports its size refused
};

// The bit for a --quirk name, 0 for an unknown name.
unsigned QuirkFromName(const std::string& name);
// Combinations that cannot run; false with a reason.
bool QuirksValid(const HostOptions& options, std::string& error);
bool QuirkOn(unsigned quirk);
// Logs one "quirk" line per quirk in force.
void LogQuirks();

// Either way of the timer loader: timer-before-init is timer-thread with an early timer.
const unsigned kQuirkTimerLoader = kQuirkTimerThread | kQuirkTimerBeforeInit;

// Under no-16bit-modes, a mode the plug-in's display calls neither see nor get: one below 32 bits,
// as for a process whose manifest targets Windows 8 or later.
bool QuirkHidesMode(const DEVMODEA& mode);
// A mode request the display refuses by a quirk: a hidden mode, or under size-only-modes (as
// Windows 11 24H2 is reported to do) any request that names a depth or a refresh rate.
bool QuirkRefusesMode(const DEVMODEA& mode);

// The answer to a host query when a quirk overrides it: true with `answer` set, and the line logged.
bool QuirkAnswersQuery(WPARAM wParam, LPARAM query, LRESULT& answer);

// Start of the visualisation thread: under destroy-before-quit the plug-in's owner becomes a host
// window of this thread (of class `hostClass`), as when the host calls Init on its main thread.
void QuirksStartThread(VisModule* module, const char* hostClass);
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
