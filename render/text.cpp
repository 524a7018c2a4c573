// Stand-in: overlays and text are built in their own change.
#include "render/text.h"
TextFont textFont;
void OverlayBegin(int, int, bool) {}
void OverlayEnd() {}
void TextFontCreate(const char*, int) {}
unsigned int BitmapFontBuild(const char*, int) { return 0; }
void TextFontDestroy() {}
void TextPrintf(const char*, ...) {}
void GlutTextDraw(float, float, void*, int, const char*) {}
void OverlayTextDraw(float, float, void*, int, const char*, int, int) {}
void HelpPanelDraw(float, float) {}
void SongTitleDraw(const char*, float) {}
void FpsReadoutDraw(float) {}
