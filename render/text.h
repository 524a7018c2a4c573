// The 2-D overlay bracket and all text drawing: the GDI display-list font and GLUT bitmap fonts.
// Also the three text layers the frame draws near its end: song title, fps readout, help panel.
#pragma once
#include <windows.h>

struct TextFont {
    HDC deviceContext = nullptr;
    HFONT font = nullptr;
    HGDIOBJ previousFont = nullptr;
    unsigned int listBase = 0;
};
extern TextFont textFont;

void OverlayBegin(int width, int height, bool flip);
void OverlayEnd();
void TextFontCreate(const char* face, int height);
unsigned int BitmapFontBuild(const char* face, int height);
void TextFontDestroy();
void TextPrintf(const char* format, ...);
void GlutTextDraw(float x, float y, void* font, int lineHeight, const char* text);
void OverlayTextDraw(float x, float y, void* font, int lineHeight, const char* text, int width, int height);
void HelpPanelDraw(float scale, float alpha);
void SongTitleDraw(const char* title, float jitter);
void FpsReadoutDraw(float fps);
