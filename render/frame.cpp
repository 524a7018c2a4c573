// The frame driver: the clock, the fps counter, the scene rotation and one complete frame,
// calling every layer in its fixed order and presenting the result.
#include "render/frame.h"
#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>
#include <cstring>
#include "plugin/plugin.h"
#include "plugin/settings.h"
#include "render/bar_field.h"
#include "render/blur_average.h"
#include "render/feedback.h"
#include "render/noise.h"
#include "render/scene_state.h"
#include "render/text.h"
#include "window/display_window.h"
#include "window/notices.h"
#include "window/window_proc.h"

float frameTime = 0.0f;
FpsCounter fpsCounter;
SceneRotation sceneRotation;

namespace {
DWORD clockStartTick = 0;

void DrawPlayedField(const unsigned char* snapshot, float bassLevel, BlurWay way) {
    if (displayToggles.rotation)
        sceneRotation.angleDegrees = kDegreesPerSecond * frameTime - sceneRotation.heldDegrees;
    glRotatef(sceneRotation.angleDegrees, 0.0f, 1.0f, 0.0f);
    glTranslatef(-2.4f, 0.0f, 2.4f);
    ShiftInSpectrum(snapshot);
    DrawZoomBlur(bassLevel, way);
}

void ResetProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(sceneProjection.fieldOfView, sceneProjection.aspect,
                   sceneProjection.nearPlane, sceneProjection.farPlane);
    glMatrixMode(GL_MODELVIEW);
}

void DrawSongTitle(VisModule* module, const unsigned char* snapshot) {
    LRESULT position = QueryHost(module, 0, HOST_GET_LIST_POSITION);
    const char* title = (const char*)QueryHost(module, (WPARAM)position, HOST_GET_LIST_TITLE);
    SongTitleDraw(title, 2.0f * std::sin((float)snapshot[2]));
}
}  // namespace

// Leaves the model-view matrix holding the camera, depth test on, blending and lighting off.
void PlaceCamera() {
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -9.6f);
    glRotatef(23.0f, 1.0f, 0.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_LIGHTING);
}

float SecondsSinceStart() {
    if (clockStartTick == 0) clockStartTick = GetTickCount();
    return TicksToSeconds(clockStartTick, GetTickCount());
}

void ToggleSceneRotation() {
    ToggleRotation(sceneRotation, displayToggles.rotation, frameTime);
}

void RenderFrame(VisModule* module) {
    frameTime = SecondsSinceStart();
    FpsCounterUpdate(fpsCounter, frameTime * 1000.0f);
    unsigned char snapshot[kSnapshotBytes];
    std::memcpy(snapshot, module->spectrumData[0], sizeof(snapshot));
    if (historyNeedsAllocation) {
        AllocateHistory();
        historyNeedsAllocation = false;
    }
    const float bassLevel = BassLevelFromBin(snapshot[2]);

    // The colour buffer is cleared too, to the bass grey while the flash is on: after a swap the
    // back buffer holds whatever the driver left (a copy, an older frame, garbage), and layers
    // outside the trail must never smear.
    if (settings.flashScreen) glClearColor(bassLevel, bassLevel, bassLevel, 1.0f);
    else glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    // The frame's way, for its clear and its blur alike: a resize a host's reply lets in before the
    // blur must not make it average with another. The texture way never reads the accumulation
    // buffer: clearing it would be the processor's work on Mesa.
    const BlurWay way = BeginBlurFrame();
    if (way == BlurWay::Accumulation) {
        glClearAccum(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
    } else {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    PlaceCamera();
    if (QueryHost(module, 0, HOST_IS_PLAYING)) DrawPlayedField(snapshot, bassLevel, way);
    ResetProjection();

    DrawFeedbackTrail();
    CaptureFeedback();
    if (settings.flashScreen) DrawFlashVeil(bassLevel);
    if (displayToggles.useNoiseDistortion) NoiseVeilDraw(bassLevel);
    if (settings.showSongTitle) DrawSongTitle(module, snapshot);
    if (displayToggles.showFps) FpsReadoutDraw(fpsCounter.shownFps);
    if (displayToggles.displayHelp)
        for (int i = 0; i < 3; ++i) HelpPanelDraw((float)(0.8 + 0.0005 * i), 0.2f);  // 0.8, 0.8005, 0.801
    noticeList.Draw(frameTime, 15.0f, 30.0f, drawWidth, drawHeight);
    glDisable(GL_DEPTH_TEST);

    Sleep(PacingMilliseconds(bassLevel, displayToggles.beatChangesSpeed));
    glFlush();
    SwapBuffers(displayHandles.windowDC);
    noticeList.DropExpired();
    EndBlurFrame();
}
