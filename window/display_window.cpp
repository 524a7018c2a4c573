// The display window and its OpenGL context: start-up (Init), the full-screen mode change, tear-down.
// Every failure is told in a fixed message box and ends the run through the quit flag.
#include "window/display_window.h"
#include <algorithm>
#include <atomic>
#include <climits>
#include "plugin/plugin.h"
#include "plugin/settings.h"
#include "render/blur_average.h"
#include "render/glut_setup.h"
#include "render/scene_state.h"
#include "render/text.h"
#include "window/frame_handoff.h"
#include "window/window_proc.h"

DisplayHandles displayHandles;

namespace {
// The thread that made the context current: the only one allowed to draw; 0 while no context is.
// Atomic because a Render on another thread reads it to learn that it must hand its frame over.
std::atomic<DWORD> contextThread{0};
// Whether the class is registered now: a tear-down after a failed start (Quit runs one too) must
// not report a class it never registered, or already unregistered, as a failure to unregister.
bool classRegistered = false;
// Whether this run asked for the full-screen mode, and how often it hid the cursor. The tear-down
// undoes exactly that, so a Config during the run that flips the full-screen switch cannot strand
// the display in 1024 x 768, and a refused mode (hidden once) leaves the player's cursor count as
// it found it.
bool fullscreenEntered = false;
int cursorHides = 0;

void HideCursor() {
    ShowCursor(FALSE);
    ++cursorHides;
}

PIXELFORMATDESCRIPTOR requestedFormat = {
    sizeof(PIXELFORMATDESCRIPTOR), 1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    PFD_TYPE_RGBA, 16,
    0, 0, 0, 0, 0, 0, 0, 0,
    16, 0, 0, 0, 0,
    16, 0, 0,
    PFD_MAIN_PLANE, 0, 0, 0, 0,
};

// NOTE: the window's destruction posts WM_QUIT to this thread before most boxes, and a message
// box ends at once when its loop meets WM_QUIT, so the user would never read it. Hold the quit
// message back while the box is up, then post it again for the host's loop.
void ShowBox(const char* text, const char* title, UINT style) {
    MSG quit;
    const bool heldQuit = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    MessageBoxA(nullptr, text, title, style);
    if (heldQuit) PostQuitMessage((int)quit.wParam);
}

void FailStart(const char* text, UINT style) {
    ShowBox(text, "ERROR", style);
    quitRequested = true;
}

void ReportShutdown(const char* text) {
    ShowBox(text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

bool RegisterDisplayClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = DisplayWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPluginDescription;
    // A failed registration leaves the flag alone: a class still held from an earlier run must
    // still be unregistered before the library goes.
    if (!RegisterClassExA(&windowClass)) return false;
    classRegistered = true;
    return true;
}

// Scores how far a format is from the request: fewer surplus bits is closer.
int FormatDistance(const PIXELFORMATDESCRIPTOR& have, const PIXELFORMATDESCRIPTOR& want) {
    auto gap = [](int a, int b) { return a > b ? a - b : 4 * (b - a); };
    return gap(have.cColorBits, want.cColorBits) + gap(have.cDepthBits, want.cDepthBits)
         + gap(have.cAccumBits, want.cAccumBits) + have.cStencilBits + have.cAuxBuffers;
}

// A generic format that is not accelerated is the system's software renderer.
bool SoftwareFormat(const PIXELFORMATDESCRIPTOR& format) {
    return (format.dwFlags & PFD_GENERIC_FORMAT) && !(format.dwFlags & PFD_GENERIC_ACCELERATED);
}

// The closest format a window can draw OpenGL on, double-buffered RGBA with depth; 0 if none fits.
int ClosestFormat(HDC dc, bool accumulationNeeded, bool softwareAllowed) {
    PIXELFORMATDESCRIPTOR have = {};
    const DWORD needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    int count = DescribePixelFormat(dc, 1, sizeof(have), &have);
    int best = 0, bestDistance = 0;
    for (int index = 1; index <= count; ++index) {
        if (!DescribePixelFormat(dc, index, sizeof(have), &have)) continue;
        if ((have.dwFlags & needed) != needed || have.iPixelType != PFD_TYPE_RGBA || have.cDepthBits == 0) continue;
        if ((accumulationNeeded && have.cAccumBits == 0) || (SoftwareFormat(have) && !softwareAllowed)) continue;
        int distance = FormatDistance(have, requestedFormat);
        if (best == 0 || distance < bestDistance) { best = index; bestDistance = distance; }
    }
    return best;
}

// NOTE: Wine (and some drivers) answer ChoosePixelFormat with a format without an accumulation
// buffer although others have one; the zoom blur then silently turns into overdraw. Keep the
// platform's answer when it has accumulation bits, else take the closest format that has them,
// but never trade a driver's format for the software renderer's: no blur beats two frames a second.
// NOTE: where only the system's software formats list accumulation (Intel's and AMD's Windows
// drivers are reported so), a chooser that weighs it answers one of them: the driver's closest
// format is taken then, with accumulation if one has it; without a driver the answer stands.
int ChooseAccumulationFormat(HDC dc, int chosen) {
    PIXELFORMATDESCRIPTOR have = {};
    if (!DescribePixelFormat(dc, chosen, sizeof(have), &have)) return chosen;
    const bool software = SoftwareFormat(have);
    if (software) {
        int accelerated = ClosestFormat(dc, true, false);
        if (!accelerated) accelerated = ClosestFormat(dc, false, false);
        if (accelerated) return accelerated;
    }
    if (have.cAccumBits > 0) return chosen;
    const int best = ClosestFormat(dc, true, software);
    return best != 0 ? best : chosen;
}

// Client area of the drawing size at the remembered position, at most as large as the user could
// drag the window: a stored size near INT_MAX would otherwise ask for a frame of a billion pixels.
void CorrectWindowedSize(HWND window) {
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const int width = FramedExtent(drawWidth, outer.right - outer.left, client.right - client.left);
    const int height = FramedExtent(drawHeight, outer.bottom - outer.top, client.bottom - client.top);
    SetWindowPos(window, HWND_NOTOPMOST, settings.configX, settings.configY,
                 std::min(width, GetSystemMetrics(SM_CXMAXTRACK)), std::min(height, GetSystemMetrics(SM_CYMAXTRACK)), 0);
}

// One full-screen request at this size and depth (0: the size alone, the display keeps its depth);
// no refresh rate is asked for.
bool RequestDisplayMode(int width, int height, int bitsPerPixel) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof(DEVMODEA);
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    if (bitsPerPixel > 0) {
        mode.dmBitsPerPel = bitsPerPixel;
        mode.dmFields |= DM_BITSPERPEL;
    }
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

struct StartFailure {
    const char* text;
    UINT style;
    bool tearDown;  // whether anything was built that DestroyDisplayWindow must undo
};
const UINT kStartBoxStyle = MB_OK | MB_ICONEXCLAMATION;
const StartFailure kClassFailed = {"Failed To Register The Window Class.", kStartBoxStyle, false};
const StartFailure kFullscreenFailed = {"Cannot Change to Fullscreen.\nCheck the config.", MB_OK | MB_ICONERROR, true};
const StartFailure kWindowFailed = {"Window Creation Error.", kStartBoxStyle, true};
const StartFailure kDeviceContextFailed = {"Can't Create A GL Device Context.", kStartBoxStyle, true};
const StartFailure kFormatNotFound = {"Can't Find A Suitable PixelFormat.", kStartBoxStyle, true};
const StartFailure kFormatNotSet = {"Can't Set The PixelFormat.", kStartBoxStyle, true};
const StartFailure kContextFailed = {"Can't Create A GL Rendering Context.", kStartBoxStyle, true};
const StartFailure kActivationFailed = {"Can't Activate The GL Rendering Context.", kStartBoxStyle, true};

// Builds the window and its context in start-up order; the first step that fails names itself.
const StartFailure* BuildDisplay(VisModule* module) {
    displayHandles.libraryInstance = module->instance;
    if (!RegisterDisplayClass(module->instance)) return &kClassFailed;
    DWORD style = WS_THICKFRAME, exStyle = WS_EX_TOOLWINDOW;
    int x = settings.configX, y = settings.configY;
    if (settings.fullscreen) {
        HideCursor();
        fullscreenEntered = true;
        if (!EnterFullscreenMode(drawWidth, drawHeight, 16)) return &kFullscreenFailed;
        HideCursor();
        style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        exStyle = WS_EX_APPWINDOW;
        // The mode's whole screen; the stored windowed position stays for the next windowed run.
        x = y = 0;
    }
    displayHandles.window = CreateWindowExA(exStyle, kPluginDescription, module->description, style, x, y,
        drawWidth, drawHeight, module->parentWindow, nullptr, module->instance, nullptr);
    if (!displayHandles.window) return &kWindowFailed;
    displayHandles.windowDC = GetDC(displayHandles.window);
    if (!displayHandles.windowDC) return &kDeviceContextFailed;
    const int format = ChooseDisplayPixelFormat(displayHandles.windowDC);
    if (!format) return &kFormatNotFound;
    if (!SetPixelFormat(displayHandles.windowDC, format, &requestedFormat)) return &kFormatNotSet;
    displayHandles.renderContext = wglCreateContext(displayHandles.windowDC);
    if (!displayHandles.renderContext) return &kContextFailed;
    if (!wglMakeCurrent(displayHandles.windowDC, displayHandles.renderContext)) return &kActivationFailed;
    contextThread = GetCurrentThreadId();
    return nullptr;
}

// The built window brought to the front, then the renderer's state on its context.
void ShowDisplay(VisModule* module) {
    SetWindowLongPtrA(displayHandles.window, GWLP_USERDATA, (LONG_PTR)module);
    if (!settings.fullscreen) CorrectWindowedSize(displayHandles.window);
    ShowWindow(displayHandles.window, SW_SHOWNORMAL);
    SetForegroundWindow(displayHandles.window);
    SetFocus(displayHandles.window);
    // freeglut must be initialised before any frame can draw GLUT text; Quit undoes it.
    GlutEnsureInitialised();
    InitSceneState();
    ResizeScene(drawWidth, drawHeight);
    ApplySwapInterval(displayToggles.verticalSync);
}

}  // namespace

int FramedExtent(int client, long outerExtent, long clientExtent) {
    // In 64 bits: a stored size near INT_MAX must not wrap to a negative window size. The system
    // limits what it is given anyway.
    const long long extent = (long long)client + outerExtent - clientExtent;
    return extent > INT_MAX ? INT_MAX : extent < INT_MIN ? INT_MIN : (int)extent;
}

int ChooseDisplayPixelFormat(HDC dc) {
    int format = ChoosePixelFormat(dc, &requestedFormat);
    return format ? ChooseAccumulationFormat(dc, format) : 0;
}

// NOTE: Windows 8 and later neither list nor set a mode below 32 bits for a process whose manifest
// targets them, and the plug-in lives inside such hosts; some displays have no 16-bit mode at all.
// After the asked depth, the desktop's own depth, then 32, are tried; the pixel format then comes
// nearest to the request on that display.
// NOTE: Windows 11 24H2 is reported to refuse every request that names a depth (or a refresh rate)
// and to take width and height alone: that is the last request before the start fails.
bool EnterFullscreenMode(int width, int height, int bitsPerPixel) {
    ZeroMemory(&displayHandles.savedMode, sizeof(DEVMODEA));
    displayHandles.savedMode.dmSize = sizeof(DEVMODEA);
    EnumDisplaySettingsA(nullptr, 0, &displayHandles.savedMode);
    const bool desktopKnown = EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &displayHandles.savedMode) != 0;
    const int desktopBits = desktopKnown ? (int)displayHandles.savedMode.dmBitsPerPel : 0;
    const int depths[] = {bitsPerPixel, desktopBits, 32};
    for (int i = 0; i < 3; ++i) {
        const bool askedAlready = std::find(depths, depths + i, depths[i]) != depths + i;
        if (depths[i] > 0 && !askedAlready && RequestDisplayMode(width, height, depths[i])) return true;
    }
    return RequestDisplayMode(width, height, 0);
}

int Init(VisModule* module) {
    // A host that keeps the library loaded starts a new run here: the last run's quit is over.
    quitRequested = false;
    LoadSettings(module);
    if (const StartFailure* failure = BuildDisplay(module)) {
        if (failure->tearDown) DestroyDisplayWindow();
        FailStart(failure->text, failure->style);
    } else {
        ShowDisplay(module);
        FrameHandoffOpen();
    }
    return 0;
}

void DestroyDisplayWindow() {
    FrameHandoffClose();
    TextFontDestroy();
    // The blur's way and textures die with the context: the next run's resizes come before its choice.
    ForgetBlurWay(displayHandles.renderContext && wglGetCurrentContext() == displayHandles.renderContext);
    if (fullscreenEntered) {
        fullscreenEntered = false;
        // The saved mode names its depth, which a display that takes sizes alone refuses; the
        // registry's mode, asked for without any, puts the desktop back all the same.
        ChangeDisplaySettingsExA(nullptr, &displayHandles.savedMode, nullptr, CDS_RESET, nullptr);
        ChangeDisplaySettingsA(nullptr, 0);
        for (; cursorHides > 0; --cursorHides) ShowCursor(TRUE);
    }
    if (displayHandles.renderContext) {
        // NOTE: Wine fails wglMakeCurrent(NULL, NULL) when no context is current (after a failed
        // activation) and the box would report a failure that did not happen: only ours is released.
        if (wglGetCurrentContext() == displayHandles.renderContext && !wglMakeCurrent(nullptr, nullptr))
            ReportShutdown("Release Of DC And RC Failed.");
        if (!wglDeleteContext(displayHandles.renderContext)) ReportShutdown("Release Rendering Context Failed.");
        displayHandles.renderContext = nullptr;
        contextThread = 0;
    }
    if (displayHandles.windowDC) {
        if (!ReleaseDC(displayHandles.window, displayHandles.windowDC)) ReportShutdown("Release Device Context Failed.");
        displayHandles.windowDC = nullptr;
    }
    if (displayHandles.window) {
        if (!DestroyWindow(displayHandles.window)) ReportShutdown("Could Not Release hWnd.");
        displayHandles.window = nullptr;
    }
    if (classRegistered) {
        if (UnregisterClassA(kPluginDescription, displayHandles.libraryInstance)) classRegistered = false;
        else ReportShutdown("Could Not Unregister Class.");
    }
}

bool DrawingAllowedOnThisThread() {
    // The thread test comes first: only the context's own thread may then read the handles.
    return contextThread.load() == GetCurrentThreadId() && displayHandles.renderContext;
}

void ForgetDestroyedWindow(HWND window) {
    // NOTE: a host may destroy its own window first, which destroys ours (it is owned) before
    // Quit; the window's own device context goes with it. Neither is a release failure.
    // A window destroyed inside its own creation is ours before the handle is stored.
    if (displayHandles.window && window != displayHandles.window) return;
    FrameHandoffClose();
    displayHandles.window = nullptr;
    displayHandles.windowDC = nullptr;
}
