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

// Longest text one print draws; longer results are cut.
const int kTextPrintBytes = 255;

void OverlayBegin(int width, int height, bool flip);
void OverlayEnd();
void TextFontCreate(const char* face, int height);
unsigned int BitmapFontBuild(const char* face, int height);
// Safe without a prior create and twice in a row: null handles are skipped, fields reset.
void TextFontDestroy();
// vsnprintf into 256 bytes (cut at 255), drawn at the raster position with the display-list font.
void TextPrintf(const char* format, ...);
void GlutTextDraw(float x, float y, void* font, int lineHeight, const char* text);
void OverlayTextDraw(float x, float y, void* font, int lineHeight, const char* text, int width, int height);

// The layers (render/overlays.cpp).
void HelpPanelDraw(float scale, float alpha);
// The title is drawn as literal bytes, never read as a format; a null title draws nothing.
void SongTitleDraw(const char* title, float jitter);
void FpsReadoutDraw(float fps);
