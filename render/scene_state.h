// One-time OpenGL state set-up, viewport and projection, and the swap interval.
// SceneProjection holds the perspective that the frame, the blur and the overlays share.
#pragma once

struct SceneProjection {
    float fieldOfView = 45.0f;
    float aspect = 1.6f;
    float nearPlane = 0.1f;
    float farPlane = 1000.0f;
};
extern SceneProjection sceneProjection;

void InitSceneState();
void ResizeScene(int width, int height);
void ApplySwapInterval(int interval);
// True when name occurs anywhere in the extension list (a plain substring search).
bool ExtensionListed(const char* extensions, const char* name);
