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

// How far a display list moves the raster position, in pixels. Keeps every state it touches.
float ListAdvance(GLuint list) {
    glPushAttrib(GL_CURRENT_BIT | GL_TRANSFORM_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    GLfloat before[4], after[4];
    glRasterPos2f(0.0f, 0.0f);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, before);
    glCallList(list);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, after);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
    return after[0] - before[0];
}

// HACK: Wine's wglUseFontBitmapsA builds the space glyph with a zero advance, so "a b" prints as
// "ab" (the empty glyph's glBitmap fails there with GL_OUT_OF_MEMORY, which is also the error it
// leaves pending). Where the space list does not move while the face's space is wider, that one
// list becomes one blank pixel and the face's advance; a correct driver's list is left alone.
void MendSpaceAdvance(HDC dc, GLuint first) {
    static const GLubyte blank = 0;
    INT faceAdvance = 0;
    if (!GetCharWidth32A(dc, ' ', ' ', &faceAdvance) || faceAdvance <= 0) return;
    if (ListAdvance(first + ' ') != 0.0f) return;
    glNewList(first + ' ', GL_COMPILE);
    glBitmap(1, 1, 0.0f, 0.0f, (GLfloat)faceAdvance, 0.0f, &blank);
    glEndList();
}
}  // namespace

void OverlayBegin(int width, int height, bool flip) {
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glPushAttrib(GL_LIGHTING_BIT);
    glLoadIdentity();
    // The layers stand at eye depth -0.1, the scene's near distance. The volume reaches from the
    // eye itself, so they lie inside it rather than on its near plane, where whether a vertex or
    // raster position survives clipping is down to the driver's rounding.
    glOrtho(0.0, width, 0.0, height, 0.0, (double)sceneProjection.farPlane);
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
    // The plug-in window's own DC (the context draws there): the foreground window may still be
    // the host's when the system refuses to hand the foreground over.
    textFont.deviceContext = wglGetCurrentDC();
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
    MendSpaceAdvance(textFont.deviceContext, first);
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
