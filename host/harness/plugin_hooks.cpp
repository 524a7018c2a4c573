// The wrappers put into the plug-in's import table: failure injection, frame capture at the swap and
// the blur passes' at each accumulation, pause recording, the display modes of no-16bit-modes and
// size-only-modes, no-accum's format choice, the --handoff-key drill, logging of display-mode,
// cursor, swap-interval, dialog calls.
//
// Failure injection: the N-th call of a function fails as that function reports failure. A call
// that acquires something (class, window, DC, format, context, making a context current) then
// does not happen. A call that releases something (wglMakeCurrent with no context,
// wglDeleteContext, ReleaseDC, DestroyWindow, UnregisterClassA, restoring the display mode) still
// happens and only its result says failure: the plug-in must go on as if it had failed, and the
// host process stays clean (no window whose procedure points into the freed library).
#include "host/harness/plugin_hooks.h"
#include <GL/gl.h>
#include <map>
#include <string>
#include "host/run/bench.h"
#include "host/harness/capture.h"
#include "host/harness/driver_emulation.h"
#include "host/harness/gl_answers.h"
#include "host/run/host_clock.h"
#include "host/run/host_state.h"
#include "host/harness/import_patch.h"
#include "host/base/json_log.h"
#include "host/harness/message_boxes.h"
#include "host/harness/quirks.h"
#include "host/harness/texture_storage.h"

namespace {

decltype(&::RegisterClassExA) realRegisterClassExA;
decltype(&::EnumDisplaySettingsA) realEnumDisplaySettingsA;
decltype(&::ChangeDisplaySettingsA) realChangeDisplaySettingsA;
decltype(&::ChangeDisplaySettingsExA) realChangeDisplaySettingsExA;
decltype(&::CreateWindowExA) realCreateWindowExA;
decltype(&::GetDC) realGetDC;
decltype(&::ChoosePixelFormat) realChoosePixelFormat;
decltype(&::SetPixelFormat) realSetPixelFormat;
decltype(&::DescribePixelFormat) realDescribePixelFormat;
decltype(&::wglCreateContext) realWglCreateContext;
decltype(&::wglMakeCurrent) realWglMakeCurrent;
decltype(&::wglDeleteContext) realWglDeleteContext;
decltype(&::ReleaseDC) realReleaseDC;
decltype(&::DestroyWindow) realDestroyWindow;
decltype(&::UnregisterClassA) realUnregisterClassA;
decltype(&::SwapBuffers) realSwapBuffers;
decltype(&::Sleep) realSleep;
decltype(&::GetTickCount) realGetTickCount;
decltype(&::wglGetProcAddress) realWglGetProcAddress;
decltype(&::ShowCursor) realShowCursor;
decltype(&::DialogBoxParamA) realDialogBoxParamA;
decltype(&::SendMessageTimeoutA) realSendMessageTimeoutA;

typedef BOOL(WINAPI* SwapIntervalProc)(int interval);
SwapIntervalProc realSwapInterval;
typedef void(WINAPI* AccumProc)(GLenum operation, GLfloat value);
AccumProc realAccum;
INT_PTR lastDialogResult = 0;

std::map<std::string, int> callCounts;

// Counts the call and says whether an injected failure applies to it.
bool CountCall(const char* function, int& count) {
    count = ++callCounts[function];
    for (const FailRule& rule : hostState.options.failures)
        if (rule.function == function && rule.nthCall == count) return true;
    return false;
}

void LogCall(const char* function, int count, bool ok, bool injected) {
    JsonLine("call").Str("function", function).Int("count", count).Bool("ok", ok).Bool("injected", injected).Write();
}

enum class Kind { Acquires, Releases };

// One wrapped call: counts it, applies an injected failure (see the top of the file: an
// acquisition then does not happen, a release still does), and logs it.
template <typename Result, typename Call>
Result Wrapped(const char* function, Kind kind, Result failure, Call call) {
    int count;
    const bool fail = CountCall(function, count);
    Result result = (fail && kind == Kind::Acquires) ? failure : call();
    if (fail) result = failure;
    LogCall(function, count, result != failure, fail);
    return result;
}

ATOM WINAPI HookRegisterClassExA(const WNDCLASSEXA* windowClass) {
    return Wrapped("RegisterClassExA", Kind::Acquires, ATOM(0), [&] { return realRegisterClassExA(windowClass); });
}

// `byQuirk`: the answer came from a quirk (no-16bit-modes, size-only-modes), not from the display.
void LogDisplayMode(const char* function, const DEVMODEA* mode, DWORD flags, LONG result, bool byQuirk) {
    JsonLine line("display_mode");
    line.Str("function", function);
    if (mode)
        line.Int("width", mode->dmPelsWidth).Int("height", mode->dmPelsHeight).Int("bits", mode->dmBitsPerPel)
            .Int("fields", mode->dmFields);
    else line.Null("width").Null("height").Null("bits").Null("fields");
    line.Int("flags", flags).Int("result", result).Bool("quirk", byQuirk).Write();
}

// Under no-16bit-modes the list skips every mode below 32 bits (the rest renumbered) and the
// current or registry mode below 32 bits is not reported; a failed call leaves `mode` as it was.
BOOL WINAPI HookEnumDisplaySettingsA(LPCSTR device, DWORD modeNumber, DEVMODEA* mode) {
    DEVMODEA found = *mode;
    const bool listed = modeNumber != ENUM_CURRENT_SETTINGS && modeNumber != ENUM_REGISTRY_SETTINGS;
    BOOL ok;
    bool hidden = false;
    if (listed && QuirkOn(kQuirkNo16BitModes)) {
        DWORD shown = 0;
        for (DWORD real = 0; (ok = realEnumDisplaySettingsA(device, real, &found)); ++real)
            if (!QuirkHidesMode(found) && shown++ == modeNumber) break;
    } else {
        ok = realEnumDisplaySettingsA(device, modeNumber, &found);
        hidden = ok && QuirkHidesMode(found);
        if (hidden) ok = FALSE;
    }
    if (ok) *mode = found;
    JsonLine line("display_enum");
    line.Int("mode_number", (int)modeNumber).Bool("ok", ok != FALSE);
    if (ok) line.Int("width", mode->dmPelsWidth).Int("height", mode->dmPelsHeight).Int("bits", mode->dmBitsPerPel);
    line.Bool("quirk", hidden).Write();
    return ok;
}

LONG WINAPI HookChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    int count;
    bool fail = CountCall("ChangeDisplaySettingsA", count);
    const bool byQuirk = mode && QuirkRefusesMode(*mode);
    // A null mode restores the registry's mode: a release, so it still happens.
    LONG result = ((fail || byQuirk) && mode) ? DISP_CHANGE_BADMODE : realChangeDisplaySettingsA(mode, flags);
    if (fail) result = DISP_CHANGE_BADMODE;
    LogDisplayMode("ChangeDisplaySettingsA", mode, flags, result, byQuirk);
    LogCall("ChangeDisplaySettingsA", count, result == DISP_CHANGE_SUCCESSFUL, fail);
    return result;
}

LONG WINAPI HookChangeDisplaySettingsExA(LPCSTR device, DEVMODEA* mode, HWND window, DWORD flags, LPVOID param) {
    const bool byQuirk = mode && QuirkRefusesMode(*mode);
    LONG result = byQuirk ? DISP_CHANGE_BADMODE : realChangeDisplaySettingsExA(device, mode, window, flags, param);
    LogDisplayMode("ChangeDisplaySettingsExA", mode, flags, result, byQuirk);
    return result;
}

HWND WINAPI HookCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                                int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    return Wrapped("CreateWindowExA", Kind::Acquires, HWND(nullptr), [&] {
        return realCreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu, instance,
                                   param);
    });
}

HDC WINAPI HookGetDC(HWND window) {
    return Wrapped("GetDC", Kind::Acquires, HDC(nullptr), [&] { return realGetDC(window); });
}

int platformChoice = 0;  // ChoosePixelFormat's last answer

int WINAPI HookChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor) {
    platformChoice = Wrapped("ChoosePixelFormat", Kind::Acquires, 0, [&] {
        const int chosen = realChoosePixelFormat(dc, descriptor);
        return descriptor ? EmulatedChoice(dc, *descriptor, chosen) : chosen;
    });
    return platformChoice;
}

int WINAPI HookDescribePixelFormat(HDC dc, int format, UINT size, PIXELFORMATDESCRIPTOR* description) {
    int count = realDescribePixelFormat(dc, format, size, description);
    if (count && description && size >= sizeof(*description)) EmulateFormatFlags(dc, format, *description);
    return count;
}

// The format set, as the (possibly emulated) list describes it.
void LogPixelFormat(HDC dc, int format, bool ok) {
    PIXELFORMATDESCRIPTOR description = {};
    if (!realDescribePixelFormat(dc, format, sizeof(description), &description)) return;
    EmulateFormatFlags(dc, format, description);
    JsonLine("pixel_format").Int("format", format).Int("platform_choice", platformChoice).Bool("ok", ok)
        .Int("accum_bits", description.cAccumBits)
        .Bool("software", (description.dwFlags & PFD_GENERIC_FORMAT) && !(description.dwFlags & PFD_GENERIC_ACCELERATED))
        .Int("emulated_fast_accum", EmulatedFastAccumFormat(dc)).Write();
}

BOOL WINAPI HookSetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor) {
    BOOL ok = Wrapped("SetPixelFormat", Kind::Acquires, BOOL(FALSE), [&] { return realSetPixelFormat(dc, format, descriptor); });
    LogPixelFormat(dc, format, ok != FALSE);
    return ok;
}

HGLRC WINAPI HookWglCreateContext(HDC dc) {
    return Wrapped("wglCreateContext", Kind::Acquires, HGLRC(nullptr), [&] { return realWglCreateContext(dc); });
}

BOOL WINAPI HookWglMakeCurrent(HDC dc, HGLRC context) {
    // Making no context current is a release.
    return Wrapped("wglMakeCurrent", context ? Kind::Acquires : Kind::Releases, BOOL(FALSE),
                   [&] { return realWglMakeCurrent(dc, context); });
}

BOOL WINAPI HookWglDeleteContext(HGLRC context) {
    const BOOL deleted = Wrapped("wglDeleteContext", Kind::Releases, BOOL(FALSE), [&] { return realWglDeleteContext(context); });
    if (deleted) ForgetTextureStorage();
    return deleted;
}

int WINAPI HookReleaseDC(HWND window, HDC dc) {
    return Wrapped("ReleaseDC", Kind::Releases, 0, [&] { return realReleaseDC(window, dc); });
}

BOOL WINAPI HookDestroyWindow(HWND window) {
    return Wrapped("DestroyWindow", Kind::Releases, BOOL(FALSE), [&] { return realDestroyWindow(window); });
}

BOOL WINAPI HookUnregisterClassA(LPCSTR className, HINSTANCE instance) {
    return Wrapped("UnregisterClassA", Kind::Releases, BOOL(FALSE),
                   [&] { return realUnregisterClassA(className, instance); });
}

BOOL WINAPI HookSwapBuffers(HDC dc) {
    const int frame = hostState.frame;
    if (frame > 0 && CaptureWanted(hostState.options, frame)) {
        std::string error;
        if (!CaptureFrame(dc, hostState.options.captureDir, frame, error) && hostState.captureError.empty())
            hostState.captureError = error;
    }
    BOOL ok = realSwapBuffers(dc);
    if (QuirkOn(kQuirkSwapExchange)) FillBackBufferWithNoise(dc);
    ++hostState.swaps;
    JsonLine("swap").Int("frame", frame).Bool("ok", ok != FALSE).Write();
    return ok;
}

// --capture-passes: the colour buffer each blur pass leaves, read as the accumulation takes it.
void WINAPI HookAccum(GLenum operation, GLfloat value) {
    static int passFrame = 0, pass = 0;
    const HostOptions& options = hostState.options;
    const int frame = hostState.frame;
    if (operation == GL_ACCUM && !options.capturePassesDir.empty() && frame > 0 && FrameListed(options, frame)) {
        if (frame != passFrame) passFrame = frame, pass = 0;
        std::string error;
        if (!CaptureFrame(wglGetCurrentDC(), options.capturePassesDir, frame, error, ++pass) &&
            hostState.captureError.empty())
            hostState.captureError = error;
    }
    realAccum(operation, value);
}

void WINAPI HookSleep(DWORD milliseconds) {
    hostState.framePauseMs += milliseconds;
    const double start = BenchClockMs();
    if (!hostState.options.noPause) realSleep(milliseconds);
    hostState.frameSleptMs += BenchClockMs() - start;
}

DWORD WINAPI HookGetTickCount() { return HostClockTicks(); }

BOOL WINAPI HookSwapInterval(int interval) {
    BOOL ok = realSwapInterval(interval);
    JsonLine("swap_interval").Int("interval", interval).Bool("ok", ok != FALSE).Write();
    return ok;
}

PROC WINAPI HookWglGetProcAddress(LPCSTR name) {
    PROC entry = realWglGetProcAddress(name);
    // The plug-in may look the entry up more than once; the wrapper serves every lookup.
    if (entry && name && lstrcmpA(name, "wglSwapIntervalEXT") == 0) {
        realSwapInterval = (SwapIntervalProc)entry;
        return (PROC)HookSwapInterval;
    }
    return entry;
}

int WINAPI HookShowCursor(BOOL show) {
    const int count = realShowCursor(show);
    JsonLine("show_cursor").Bool("show", show != FALSE).Int("count", count).Write();
    return count;
}

INT_PTR WINAPI HookDialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure,
                                   LPARAM param) {
    lastDialogResult = realDialogBoxParamA(instance, templateName, owner, procedure, param);
    return lastDialogResult;
}

// --handoff-key: a frame handed from another thread finds the key taken by the window's thread first,
// as when the user presses it just as the frame is sent.
LRESULT WINAPI HookSendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                       UINT timeout, PDWORD_PTR result) {
    const SoakOptions& soak = hostState.options.soak;
    if (soak.handoffKey && hostState.frame == soak.handoffKeyFrame &&
        GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
        SendMessageA(window, WM_KEYDOWN, soak.handoffKey, 1);
        JsonLine("handoff_key").Int("frame", hostState.frame).Int("wparam", soak.handoffKey).Write();
    }
    return realSendMessageTimeoutA(window, message, wParam, lParam, flags, timeout, result);
}

template <typename T>
void Patch(HMODULE plugin, const char* name, T hook, T& real) {
    void* original = PatchImport(plugin, name, (void*)hook);
    // Not imported: keep the real function for the host's own use of the pointer.
    real = original ? (T)original : nullptr;
}

}  // namespace

void InstallPluginHooks(HMODULE plugin) {
    Patch(plugin, "RegisterClassExA", HookRegisterClassExA, realRegisterClassExA);
    Patch(plugin, "EnumDisplaySettingsA", HookEnumDisplaySettingsA, realEnumDisplaySettingsA);
    Patch(plugin, "ChangeDisplaySettingsA", HookChangeDisplaySettingsA, realChangeDisplaySettingsA);
    Patch(plugin, "ChangeDisplaySettingsExA", HookChangeDisplaySettingsExA, realChangeDisplaySettingsExA);
    Patch(plugin, "CreateWindowExA", HookCreateWindowExA, realCreateWindowExA);
    Patch(plugin, "GetDC", HookGetDC, realGetDC);
    Patch(plugin, "ChoosePixelFormat", HookChoosePixelFormat, realChoosePixelFormat);
    Patch(plugin, "SetPixelFormat", HookSetPixelFormat, realSetPixelFormat);
    Patch(plugin, "DescribePixelFormat", HookDescribePixelFormat, realDescribePixelFormat);
    Patch(plugin, "wglCreateContext", HookWglCreateContext, realWglCreateContext);
    Patch(plugin, "wglMakeCurrent", HookWglMakeCurrent, realWglMakeCurrent);
    Patch(plugin, "wglDeleteContext", HookWglDeleteContext, realWglDeleteContext);
    Patch(plugin, "ReleaseDC", HookReleaseDC, realReleaseDC);
    Patch(plugin, "DestroyWindow", HookDestroyWindow, realDestroyWindow);
    Patch(plugin, "UnregisterClassA", HookUnregisterClassA, realUnregisterClassA);
    Patch(plugin, "SwapBuffers", HookSwapBuffers, realSwapBuffers);
    Patch(plugin, "Sleep", HookSleep, realSleep);
    Patch(plugin, "GetTickCount", HookGetTickCount, realGetTickCount);
    Patch(plugin, "wglGetProcAddress", HookWglGetProcAddress, realWglGetProcAddress);
    Patch(plugin, "ShowCursor", HookShowCursor, realShowCursor);
    Patch(plugin, "DialogBoxParamA", HookDialogBoxParamA, realDialogBoxParamA);
    Patch(plugin, "SendMessageTimeoutA", HookSendMessageTimeoutA, realSendMessageTimeoutA);
    Patch(plugin, "glAccum", HookAccum, realAccum);
    InstallGlAnswers(plugin);
    InstallTextureStorage(plugin);
    InstallMessageBoxWrapper(plugin);
}

void LogCursorCount(const char* when) {
    // The host's own import is not patched: no show_cursor line. Hidden and shown again, it stands.
    const int count = ShowCursor(FALSE) + 1;
    ShowCursor(TRUE);
    JsonLine("cursor_count").Str("when", when).Int("count", count).Write();
}

INT_PTR LastDialogResult() { return lastDialogResult; }
bool PluginImportsDialogBox() { return realDialogBoxParamA != nullptr; }
