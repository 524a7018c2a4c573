// The library's export and the four callbacks the host drives; the module and header records.
// Config, Init and Quit hand their work to the settings and the window; Render to the frame driver.
#include "plugin/plugin.h"
#include "plugin/settings.h"
#include "render/frame.h"
#include "render/glut_setup.h"
#include "window/display_window.h"
#include "window/frame_handoff.h"

const char kPluginDescription[] = "Korvath's OpenGL Smearscope";

std::atomic<bool> quitRequested{false};

VisHeader visHeader;

VisModule visModule = {
    kPluginDescription,
    nullptr, nullptr,   // parentWindow, instance: the host's
    0, 0,               // sampleRate, channelCount
    0, 0,               // latencyMs, delayMs
    2, 0,               // spectrumChannels, waveformChannels
    {}, {},
    Config, Init, Render, Quit,
    nullptr,
};

extern "C" VisHeader* winampVisGetHeader() {
    visHeader.version = kVisHeaderVersion;
    visHeader.description = kPluginDescription;
    visHeader.getModule = GetModule;
    return &visHeader;
}

VisModule* GetModule(int index) {
    return index == 0 ? &visModule : nullptr;
}

int Render(VisModule* module) {
    // After Quit a host's timer may still call: the flag, set by then, is all it reads.
    if (quitRequested) return 1;
    if (DrawingAllowedOnThisThread()) {
        DrawFrameOnce(module);
        return 0;
    }
    // Another thread: the frame runs on the window's thread, which owns the context and the state.
    return RenderOnWindowThread(module);
}

void Quit(VisModule* module) {
    SaveSettings(module);
    DestroyDisplayWindow();
    // Between runs nothing of ours stays in the host's process, even while it keeps us loaded;
    // and none of this may wait for the library's unload, which runs under the loader lock.
    GlutReleaseProcessState();
}

LRESULT QueryHost(VisModule* module, WPARAM wParam, LPARAM query) {
    return SendMessageA(module->parentWindow, kHostQueryMessage, wParam, query);
}
