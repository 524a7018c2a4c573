// The frame driver: the clock, the fps counter, the scene rotation and one complete frame.
// Render calls RenderFrame once per host frame unless the quit flag is set.
#pragma once
#include "plugin/vis_module.h"
#include "render/frame_math.h"

extern float frameTime;
extern FpsCounter fpsCounter;
extern SceneRotation sceneRotation;

float SecondsSinceStart();
void ToggleSceneRotation();
// The camera and the state each frame fixes before drawing; model-view must be the current mode.
void PlaceCamera();
void RenderFrame(VisModule* module);
