// The zoom blur's passes (averaged by blur_average), the feedback trail kept in a texture of 1024 x
// 1024 or more, and the bass-tinted flash veil.
#pragma once
#include "render/blur_average.h"

extern unsigned int FeedbackTexture;
// The texture's side: 1024, or the power of two that holds a larger drawing area.
extern int feedbackSide;

void CreateFeedbackTexture();
// Averages the five passes the way the frame chose at its start (BeginBlurFrame).
void DrawZoomBlur(float bassLevel, BlurWay way);
void DrawFeedbackTrail();
void CaptureFeedback();
void DrawFlashVeil(float bassLevel);
