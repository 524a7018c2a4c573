// The library's entry point: at FreeLibrary it hands back the runtime's record of the calling
// thread. Nothing else runs here (loader lock); freeglut's state goes at each Quit.
#include <windows.h>

// The thread-detach hook of the statically linked POSIX threads runtime (winpthreads).
extern "C" PIMAGE_TLS_CALLBACK __xl_f;

// HACK (winpthreads, linked statically): the runtime keeps a record, with a duplicated thread
// handle and an event, for each foreign thread that asked it for thread-local data; it closes them
// when that thread ends, but frees nothing when the library is unloaded. The player's thread that
// frees us lives on, so every unload would leave two handles in its process (measured on the i686
// build under wine32). Its own thread-detach hook closes them for this thread.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    // NOTE: reserved is non-null when the process is ending; then its handles go anyway.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr && __xl_f) __xl_f(instance, DLL_THREAD_DETACH, nullptr);
    return TRUE;
}
