// A visualisation run as a player drives it on its visualisation thread: Init, the frames with the
// thread's messages dispatched before each, Quit, and all again when the caller asks for a restart.
#pragma once

// Each program's own part of a run: its calls into the plug-in and what it does around them, with
// its log lines. The loop decides only the order and the end, and writes nothing itself.
class VisLoopSteps {
public:
    virtual ~VisLoopSteps() = default;
    // Init, or what the caller has in its place; 0 goes on to the frames. `run` counts from 1.
    virtual int Init(int run) = 0;
    // After an Init that answered 0, before the first frame.
    virtual void Begin() {}
    // Between frames, after the thread's messages: true restarts the run (Quit, then Init again),
    // as a player does after its settings dialog.
    virtual bool RestartBeforeFrame(int frame) { return false; }
    virtual int Render(int frame) = 0;
    // After each Render: false is the caller's own end (its window closing, a stop asked for).
    virtual bool AfterRender(int frame, int result) { return true; }
    // After the last frame of a run that started, before Quit.
    virtual void End() {}
    virtual void Quit() = 0;
    // After Quit of a run that ended without a restart: true starts it again (the app's way back
    // after a failed start).
    virtual bool AgainAfterQuit() { return false; }
};

struct VisLoopLimits {
    int frames = 0;                // frames per run; 0: no limit
    bool rendersPastOne = false;   // a Render result of 1 does not end the run (a host that goes on calling)
};

// Runs until a run ends without a restart. A Render result other than 0 ends a run (but 1 under
// rendersPastOne). Returns the number of runs started.
int RunVisualisationLoop(VisLoopSteps& steps, const VisLoopLimits& limits);
