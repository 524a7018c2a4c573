// Telling the user something from a window program, which has no console of its own: where the
// starter sent its output, else the console it was started from, else a box.
#include "host/app/app_console.h"
#include <windows.h>

namespace {
bool WriteAll(HANDLE out, const std::string& text) {
    DWORD written = 0;
    return out && out != INVALID_HANDLE_VALUE && WriteFile(out, text.data(), (DWORD)text.size(), &written, nullptr);
}
}  // namespace

void TellUser(const std::string& text, bool fault) {
    if (WriteAll(GetStdHandle(fault ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), text)) return;
    // NOTE: a window program gets no standard handles from a console; attaching gives it the
    // starter's console, reached through CONOUT$.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
        const bool told = WriteAll(console, text);
        if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
        if (told) return;
    }
    MessageBoxA(nullptr, text.c_str(), "Smearscope", MB_OK | (fault ? MB_ICONERROR : MB_ICONINFORMATION));
}
