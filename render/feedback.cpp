// Stand-in: the zoom blur, trail and flash veil are built in their own change.
#include "render/feedback.h"
unsigned int FeedbackTexture = 0;
void CreateFeedbackTexture() {}
void DrawZoomBlur(float) {}
void DrawFeedbackTrail() {}
void CaptureFeedback() {}
void DrawFlashVeil(float) {}
