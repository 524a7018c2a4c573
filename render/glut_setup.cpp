// freeglut inside a guest library: its error handlers, one glutInit per run, and the clean-up
// that leaves the host process as it found it when the run ends.
#include "render/glut_setup.h"
#include <windows.h>
#include <GL/freeglut.h>
#include <cstdarg>

namespace {
bool glutStarted = false;

// HACK: freeglut ends the process from its error path unless a handler is installed; a guest
// must never end the player's process, so errors and warnings are swallowed.
void IgnoreGlutMessage(const char*, va_list) {}
}  // namespace

void GlutEnsureInitialised() {
    if (glutStarted) return;
    glutInitErrorFunc(IgnoreGlutMessage);
    glutInitWarningFunc(IgnoreGlutMessage);
    int argc = 1;
    char name[] = "vis_Smearscope";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutStarted = true;
}

void GlutReleaseProcessState() {
    if (!glutStarted) return;
    // NOTE: glutInit registers "FREEGLUT" on the host's executable instance with a window
    // procedure in this library, and raises the timer resolution; neither may outlive us.
    glutExit();
    UnregisterClassA("FREEGLUT", GetModuleHandleA(nullptr));
    glutStarted = false;
}
