// A visualisation run as a player drives it on its visualisation thread: Init, the frames with the
// thread's messages dispatched before each, Quit, and all again when the caller asks for a restart.
#include "host/player/vis_loop.h"
#include "host/player/plugin_thread.h"

namespace {

// The frames of one run; true when the caller asked for a restart.
bool RunFrames(VisLoopSteps& steps, const VisLoopLimits& limits) {
    for (int frame = 1;; ++frame) {
        DispatchPluginMessages();
        if (steps.RestartBeforeFrame(frame)) return true;
        const int result = steps.Render(frame);
        const bool goOn = steps.AfterRender(frame, result);
        if (result != 0 && !(result == 1 && limits.rendersPastOne)) return false;
        if (!goOn || frame == limits.frames) return false;
    }
}

}  // namespace

int RunVisualisationLoop(VisLoopSteps& steps, const VisLoopLimits& limits) {
    for (int run = 1;; ++run) {
        bool again = false;
        if (steps.Init(run) == 0) {
            steps.Begin();
            again = RunFrames(steps, limits);
            steps.End();
        }
        // The plug-in's window may post the thread's quit as it goes: both sides of Quit are dispatched.
        DispatchPluginMessages();
        steps.Quit();
        DispatchPluginMessages();
        if (!again && !steps.AgainAfterQuit()) return run;
    }
}
