// One-time OpenGL state set-up, viewport and projection, and the swap interval.
// SceneProjection holds the perspective that the frame, the blur and the overlays share.
#include "render/scene_state.h"
#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <cstring>
#include "render/bar_field.h"
#include "render/blur_average.h"
#include "render/feedback.h"
#include "render/text.h"

SceneProjection sceneProjection;

namespace {
typedef BOOL(WINAPI* SwapIntervalProc)(int interval);
SwapIntervalProc swapIntervalEntry = nullptr;

void SetUpLights() {
    const GLfloat light0Ambient[] = {0.0f, 0.0f, 0.0f, 0.0f};
    const GLfloat light0Diffuse[] = {0.4f, 1.0f, 0.2f, 1.0f};
    const GLfloat light0Position[] = {1.0f, 27.0f, 2.0f, 0.0f};
    const GLfloat materialAmbient[] = {0.4f, 0.4f, 0.4f, 1.0f};
    const GLfloat light1Ambient[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat light1Diffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat light1Specular[] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat light1Position[] = {0.0f, 5.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, light0Ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light0Diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, light0Position);
    glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 25.0f);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 50.0f);
    glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 2.0f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, materialAmbient);
    glLightfv(GL_LIGHT1, GL_AMBIENT, light1Ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, light1Diffuse);
    glLightfv(GL_LIGHT1, GL_SPECULAR, light1Specular);
    glLightfv(GL_LIGHT1, GL_POSITION, light1Position);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
}
}  // namespace

void InitSceneState() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    SetUpLights();
    BarFieldReadDriverGrid();
    ChooseBlurWay();
    TextFontCreate("times", 16);
    glEnable(GL_TEXTURE_2D);
    CreateFeedbackTexture();
}

void ResizeScene(int width, int height) {
    if (height == 0) height = 1;
    sceneProjection.aspect = (float)width / (float)height;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(sceneProjection.fieldOfView, sceneProjection.aspect,
                   sceneProjection.nearPlane, sceneProjection.farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    FitPassTextures(width, height);
}

bool ExtensionListed(const char* extensions, const char* name) {
    return extensions && std::strstr(extensions, name) != nullptr;
}

void ApplySwapInterval(int interval) {
    if (!ExtensionListed((const char*)glGetString(GL_EXTENSIONS), "WGL_EXT_swap_control")) return;
    swapIntervalEntry = (SwapIntervalProc)wglGetProcAddress("wglSwapIntervalEXT");
    if (swapIntervalEntry) swapIntervalEntry(interval);
}
