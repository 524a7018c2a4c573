// The 2-D overlay bracket and the two text technologies: the GDI face turned into display lists
// (printed printf-style at the raster position) and GLUT bitmap fonts with newline and tab rules.
#include "render/text.h"
#include <GL/freeglut.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include "render/scene_state.h"

TextFont textFont;

namespace {
const int kFontLists = 256;
}  // namespace

void OverlayBegin(int width, int height, bool flip) {
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glPushAttrib(GL_LIGHTING_BIT);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, (double)sceneProjection.nearPlane, (double)sceneProjection.farPlane);
    if (flip) {
        glScalef(1.0f, -1.0f, 1.0f);
        glTranslatef(0.0f, (float)-height, 0.0f);
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

void TextFontCreate(const char* face, int height) {
    textFont.deviceContext = GetDC(GetForegroundWindow());
    textFont.listBase = BitmapFontBuild(face, height);
}

unsigned int BitmapFontBuild(const char* face, int height) {
    const GLuint first = glGenLists(kFontLists);
    textFont.font = CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, 0, face);
    textFont.previousFont = SelectObject(textFont.deviceContext, textFont.font);
    // NOTE: Wine leaves GL_OUT_OF_MEMORY (0x505) pending after this call although the lists are
    // built; errors are never queried here, so it is harmless. Code 255 stays an empty list.
    wglUseFontBitmapsA(textFont.deviceContext, 0, 255, first);
    return first;
}

void TextFontDestroy() {
    if (textFont.deviceContext && textFont.previousFont)
        SelectObject(textFont.deviceContext, textFont.previousFont);
    if (textFont.listBase) glDeleteLists(textFont.listBase, kFontLists);
    if (textFont.font) DeleteObject(textFont.font);
    // The window's own DC (CS_OWNDC) is not released; reset so a second destroy does nothing.
    textFont = TextFont();
}

void TextPrintf(const char* format, ...) {
    if (!format) return;
    // A host's song title reaches here; the bound keeps any length off the stack's edge.
    char text[kTextPrintBytes + 1] = {};
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    text[kTextPrintBytes] = '\0';
    glPushAttrib(GL_LIST_BIT);
    glListBase(textFont.listBase);
    glCallLists((GLsizei)std::strlen(text), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}

void GlutTextDraw(float x, float y, void* font, int lineHeight, const char* text) {
    if (!text) return;
    const float charWidth = (float)glutBitmapWidth(font, (unsigned char)text[0]);
    float cursorX = x;
    float lineY = y;
    glRasterPos3f(x, y, -0.1f);
    for (const unsigned char* byte = (const unsigned char*)text; *byte; ++byte) {
        if (*byte == '\n') {
            lineY += (float)lineHeight;
            cursorX = x;
            glRasterPos3f(x, lineY, -0.1f);
        } else if (*byte == '\t') {
            cursorX += 4.0f * charWidth;
            glRasterPos3f(cursorX, lineY, -0.1f);
        } else {
            glutBitmapCharacter(font, *byte);
            cursorX += charWidth;
        }
    }
}

void OverlayTextDraw(float x, float y, void* font, int lineHeight, const char* text, int width, int height) {
    OverlayBegin(width, height, true);
    glPushMatrix();
    glLoadIdentity();
    GlutTextDraw(x, y, font, lineHeight, text);
    glPopMatrix();
    OverlayEnd();
}
