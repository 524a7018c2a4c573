// The library's entry point: only undoes, when the host frees the library, what freeglut did to
// the host's process. Nothing else may run here (loader lock).
#include <windows.h>
#include "render/glut_setup.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    // NOTE: reserved is non-null when the process is ending; then the process state goes anyway.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) GlutReleaseProcessState();
    return TRUE;
}
