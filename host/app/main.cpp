// smearscope.exe: the plug-in without the player, listening to what the PC plays. A window
// program (no console); entry point only: options in, exit status out.
#include <windows.h>
#include <cstdlib>
#include <string>
#include "host/app/app_options.h"
#include "host/app/app_run.h"

namespace {
bool WriteAll(HANDLE out, const std::string& text) {
    DWORD written = 0;
    return out && out != INVALID_HANDLE_VALUE && WriteFile(out, text.data(), (DWORD)text.size(), &written, nullptr);
}

// NOTE: a window program has no console of its own. The text goes where the starter sent the
// program's output (a script's redirection), else to the console it was started from, else in a box.
void Tell(const std::string& text, bool fault) {
    if (WriteAll(GetStdHandle(fault ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), text)) return;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
        const bool told = WriteAll(console, text);
        if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
        if (told) return;
    }
    MessageBoxA(nullptr, text.c_str(), "Smearscope", MB_OK | (fault ? MB_ICONERROR : MB_ICONINFORMATION));
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    AppOptions options;
    std::string error;
    if (!ParseAppOptions(__argc, __argv, options, error)) {
        Tell("smearscope: " + error + "\n", true);
        return kAppBadStart;
    }
    if (options.help) {
        Tell(AppUsage(), false);
        return kAppDone;
    }
    return RunApp(options);
}
