// The zoom blur through the accumulation buffer, the feedback trail kept in a 1024 x 1024 texture,
// and the bass-tinted flash veil.
#pragma once

extern unsigned int FeedbackTexture;

void CreateFeedbackTexture();
void DrawZoomBlur(float bassLevel);
void DrawFeedbackTrail();
void CaptureFeedback();
void DrawFlashVeil(float bassLevel);
