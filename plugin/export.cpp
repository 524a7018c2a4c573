// The library's export and the four callbacks the host drives; the module and header records.
// Config, Init and Quit hand their work to the settings and the window; Render to the frame driver.
#include "plugin/plugin.h"
#include "plugin/settings.h"
#include "render/frame.h"
#include "render/glut_setup.h"
#include "window/display_window.h"

const char kPluginDescription[] = "Korvath's OpenGL Smearscope";

bool quitRequested = false;

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
    // A Render without a started run, or from a thread other than Init's, draws nothing and reads
    // nothing the window procedure writes; the quit flag is one of those, so it is read second.
    if (!DrawingAllowedOnThisThread()) return 1;
    if (quitRequested) return 1;
    RenderFrame(module);
    return 0;
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
