// The loader that calls Render from a multimedia timer (--quirk timer-thread, timer-before-init): Init on
// a thread of its own under a hidden parent, a GetMessage loop there, Render from the timer under a lock, its stop.
#pragma once
#include <windows.h>
#include <string>
#include "plugin/vis_module.h"

// What each step does for the bench; the loader calls them where that host calls the plug-in.
struct TimerHostSteps {
    void (*init)();            // on the Init thread, the hidden parent made
    bool (*tick)(bool& drew);  // one timer callback, under the lock; false asks for the stop
    void (*quit)();            // on the Init thread, under the lock, after the timer's kill
    int ticksBeforeInit;       // > 0: the timer starts before Init, which waits for this many ticks
};

// One run as that loader makes it. Returns true once the Init thread has ended and no timer
// callback can reach the plug-in again; false, naming the step, when no step made progress within
// the bound (the threads are then stuck, and the caller must end the process).
bool RunTimerHost(VisModule* module, const char* hostClass, const TimerHostSteps& steps, std::string& stuckIn);
// The Init thread, which owns the plug-in's window, during a run; 0 otherwise.
DWORD TimerHostInitThread();
// From a tick: true once the Init thread has dispatched everything posted to it before the call,
// as the one-thread host's loop does between frames; the frame that follows sees the keys.
bool TimerHostFlushPosted();
