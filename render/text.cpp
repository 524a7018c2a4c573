// Stand-in: overlays and text are built in their own change.
#include "render/text.h"
#include <GL/gl.h>
#include "render/scene_state.h"
TextFont textFont;
// The overlay bracket, kept to its contract until the text change replaces this file.
void OverlayBegin(int width, int height, bool flip) {
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glPushAttrib(GL_LIGHTING_BIT);
    glLoadIdentity();
    glOrtho(0, width, 0, height, sceneProjection.nearPlane, sceneProjection.farPlane);
    if (flip) {
        glScalef(1.0f, -1.0f, 1.0f);
        glTranslatef(0.0f, -(float)height, 0.0f);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -0.1f);
}
void OverlayEnd() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
void TextFontCreate(const char*, int) {}
unsigned int BitmapFontBuild(const char*, int) { return 0; }
void TextFontDestroy() {}
void TextPrintf(const char*, ...) {}
void GlutTextDraw(float, float, void*, int, const char*) {}
void OverlayTextDraw(float, float, void*, int, const char*, int, int) {}
void HelpPanelDraw(float, float) {}
void SongTitleDraw(const char*, float) {}
void FpsReadoutDraw(float) {}
