// A window and OpenGL context of the tests' own, set up as the plug-in's start-up sets it up.
#include "tests/gl_fixture.h"
#include <vector>
#include "plugin/settings.h"
#include "render/blur_average.h"
#include "render/glut_setup.h"
#include "render/scene_state.h"
#include "render/text.h"
#include "window/display_window.h"

namespace {
const char kTestClass[] = "SmearscopeTestWindow";

void RegisterTestClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kTestClass;
    RegisterClassExA(&windowClass);
    registered = true;
}
}  // namespace

void GlFixture::SetUp() {}

void GlFixture::Open(int w, int h) {
    width = w;
    height = h;
    RegisterTestClass();
    RECT rect = {0, 0, w, h};
    AdjustWindowRectEx(&rect, WS_POPUP, FALSE, 0);
    window = CreateWindowExA(0, kTestClass, "test", WS_POPUP, 0, 0, rect.right - rect.left,
                             rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    dc = GetDC(window);
    int format = ChooseDisplayPixelFormat(dc);
    PIXELFORMATDESCRIPTOR pfd = {};
    DescribePixelFormat(dc, format, sizeof(pfd), &pfd);
    ASSERT_TRUE(SetPixelFormat(dc, format, &pfd));
    context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    drawWidth = w;
    drawHeight = h;
    GlutEnsureInitialised();
    InitSceneState();
    ResizeScene(w, h);
    // NOTE: Wine's wglUseFontBitmapsA leaves a GL error pending; tests check only their own.
    while (glGetError() != GL_NO_ERROR) {}
}

void GlFixture::TearDown() {
    if (context) {
        TextFontDestroy();
        ForgetBlurWay(true);
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
    }
    if (dc) ReleaseDC(window, dc);
    if (window) DestroyWindow(window);
    context = nullptr;
    dc = nullptr;
    window = nullptr;
}

void GlFixture::ClearAll() {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Rgb GlFixture::Pixel(int x, int y) {
    unsigned char rgb[3] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

std::vector<unsigned char> GlFixture::Frame() {
    std::vector<unsigned char> rows(width * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    std::vector<unsigned char> flipped(rows.size());
    for (int y = 0; y < height; ++y)
        memcpy(&flipped[y * width * 3], &rows[(height - 1 - y) * width * 3], width * 3);
    return flipped;
}

GlStackState GlStackState::Read() {
    GlStackState state;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &state.modelviewDepth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &state.projectionDepth);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &state.attribDepth);
    glGetIntegerv(GL_MATRIX_MODE, &state.matrixMode);
    return state;
}

bool GlStackState::operator==(const GlStackState& o) const {
    return modelviewDepth == o.modelviewDepth && projectionDepth == o.projectionDepth &&
           attribDepth == o.attribDepth && matrixMode == o.matrixMode;
}
