// The loader that calls Render from a multimedia timer (--quirk timer-thread, timer-before-init): Init on
// a thread of its own under a hidden parent, a GetMessage loop there, Render from the timer under a lock, its stop.
#include "host/run/timer_host.h"
#include <algorithm>
#include <atomic>
#include <string>
#include <mmsystem.h>
#include "host/run/host_window.h"

namespace {

// No step of a run may go this long without progress (a step begun or a frame drawn): far above a
// frame in the emulated PC, far below a test's own timeout.
const DWORD kStuckMs = 60000;
const DWORD kFlushMs = 10000;
// A thread message the loop answers by setting the flush event; the loader's own loop has no such
// thing, the bench needs it to order keys before frames.
const UINT kFlushMessage = WM_APP + 1;

struct TimerRun {
    VisModule* module = nullptr;
    const char* hostClass = nullptr;
    TimerHostSteps steps = {};
    std::atomic<DWORD> initThread{0};
    std::atomic<const char*> step{""};
    std::atomic<unsigned> progress{0};
    std::atomic<int> ticks{0};  // timer callbacks that reached the plug-in this run
    bool stopPosted = false;  // under the lock
    bool closed = true;       // under the lock: no callback may reach the plug-in
    HANDLE flushed = nullptr;
};
TimerRun timerRun;
// The loader's critical section around every Render and around Quit; lives as long as the process,
// since a late timer callback may still take it after a run.
CRITICAL_SECTION loaderLock;
INIT_ONCE lockOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK InitLock(PINIT_ONCE, PVOID, PVOID*) {
    InitializeCriticalSection(&loaderLock);
    return TRUE;
}

void Step(const char* name) {
    timerRun.step = name;
    ++timerRun.progress;
}

void CALLBACK TimerCallback(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    EnterCriticalSection(&loaderLock);
    if (!timerRun.closed) {
        bool drew = false;
        ++timerRun.ticks;
        // The loader ignores Render's result: only the bench's stop ends the calls.
        if (!timerRun.steps.tick(drew) && !timerRun.stopPosted) {
            timerRun.stopPosted = true;
            PostThreadMessageA(timerRun.initThread, WM_QUIT, 0, 0);
        }
        if (drew) ++timerRun.progress;
    }
    LeaveCriticalSection(&loaderLock);
}

DWORD WINAPI InitThreadMain(LPVOID) {
    VisModule* module = timerRun.module;
    Step("the hidden parent");
    HWND parent = MakeHostWindow("Smearscope host (timer loader)", 0, 0);
    const HWND ownParent = module->parentWindow;
    if (parent) module->parentWindow = parent;
    module->sampleRate = 44100;
    module->channelCount = 2;
    const UINT period = (UINT)std::max(module->delayMs, 25);
    MMRESULT timer = 0;
    if (timerRun.steps.ticksBeforeInit > 0) {
        // As a loader whose Init starts late: its timer has called Render before Init.
        Step("the timer's ticks before Init");
        timer = timeSetEvent(period, 250, TimerCallback, 0, TIME_PERIODIC);
        while (timer && timerRun.ticks < timerRun.steps.ticksBeforeInit) Sleep(1);
    }
    Step("Init");
    timerRun.steps.init();
    Step("the frames");
    if (!timer) timer = timeSetEvent(period, 250, TimerCallback, 0, TIME_PERIODIC);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!message.hwnd && message.message == kFlushMessage) {
            SetEvent(timerRun.flushed);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Step("timeKillEvent");
    if (timer) timeKillEvent(timer);
    Step("the loader's lock");
    EnterCriticalSection(&loaderLock);
    Step("Quit");
    timerRun.steps.quit();
    LeaveCriticalSection(&loaderLock);
    Step("DestroyWindow of the hidden parent");
    if (parent) DestroyWindow(parent);
    module->parentWindow = ownParent;
    Step("the end of the Init thread");
    return 0;
}

// Waits for `handle` while the run makes progress; false when it stood still for kStuckMs.
bool WaitWhileProgressing(HANDLE handle) {
    unsigned seen = timerRun.progress;
    DWORD since = GetTickCount();
    for (;;) {
        if (WaitForSingleObject(handle, 500) == WAIT_OBJECT_0) return true;
        if (timerRun.progress != seen) {
            seen = timerRun.progress;
            since = GetTickCount();
        } else if (GetTickCount() - since > kStuckMs) {
            return false;
        }
    }
}

}  // namespace

bool RunTimerHost(VisModule* module, const char* hostClass, const TimerHostSteps& steps, std::string& stuckIn) {
    InitOnceExecuteOnce(&lockOnce, InitLock, nullptr, nullptr);
    timerRun.module = module;
    timerRun.hostClass = hostClass;
    timerRun.steps = steps;
    timerRun.flushed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EnterCriticalSection(&loaderLock);
    timerRun.stopPosted = false;
    timerRun.closed = false;
    timerRun.ticks = 0;
    LeaveCriticalSection(&loaderLock);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, InitThreadMain, nullptr, CREATE_SUSPENDED, &id);
    if (!thread) {
        stuckIn = "CreateThread";
        return false;
    }
    timerRun.initThread = id;
    ResumeThread(thread);
    if (!WaitWhileProgressing(thread)) {
        stuckIn = "no progress for " + std::to_string(kStuckMs / 1000) + " s in " + timerRun.step.load();
        return false;
    }
    CloseHandle(thread);
    // A callback that began before the timer's kill ends under the lock; later ones find the run closed.
    EnterCriticalSection(&loaderLock);
    timerRun.closed = true;
    LeaveCriticalSection(&loaderLock);
    timerRun.initThread = 0;
    CloseHandle(timerRun.flushed);
    timerRun.flushed = nullptr;
    return true;
}

DWORD TimerHostInitThread() { return timerRun.initThread; }

bool TimerHostFlushPosted() {
    if (!PostThreadMessageA(timerRun.initThread, kFlushMessage, 0, 0)) return false;
    return WaitForSingleObject(timerRun.flushed, kFlushMs) == WAIT_OBJECT_0;
}
