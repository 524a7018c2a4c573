// How the zoom blur averages its five passes: which way a context takes (chosen with the context,
// forgotten with it) and the texture way's pass textures, sized with the drawing area and laid back
// as a mean over the window rectangle the passes can touch.
#pragma once
#include "render/field_view.h"

enum class BlurWay {
    Accumulation,  // glAccum: on a vendor's driver, the graphics side's own work
    Textures,      // the first four passes kept in textures and laid back over the fifth
    None,          // neither can be had: the passes stay drawn over one another
};

// The way this context was given at Init (None before it and after its tear-down); a frame may
// still fall back (FrameBlurWay).
extern BlurWay chosenBlurWay;

// Once per context, after it is made current: reads its accumulation bits and driver strings and
// names the four pass textures (their storage comes with FitPassTextures).
void ChooseBlurWay();
// At the context's tear-down: the way, the pass size and the texture names go with it, so nothing
// of it is read before the next context's ChooseBlurWay. `contextCurrent`: the textures are deleted.
void ForgetBlurWay(bool contextCurrent);
// Where the drawing size changes, on the context's thread, after ChooseBlurWay: fits the pass
// textures to width x height, smaller too (the size itself where the driver takes any size, else
// powers of two). Within a frame the change waits for EndBlurFrame. A texture that cannot be had
// (beyond the driver's size, out of memory) gives up all four until a later size fits; frames then
// take the fallback FrameBlurWay names.
void FitPassTextures(int width, int height);
// The way for the drawing size now: the chosen one, or where the textures are missing, accumulation
// if the context has an accumulation buffer, else None.
BlurWay FrameBlurWay();
// A frame's start: its way, for its clear and its blur alike. Until EndBlurFrame the pass textures
// keep their storage, whatever size a resize the host's replies let in asks for.
BlurWay BeginBlurFrame();
void EndBlurFrame();
// The pass textures' storage now: 0 x 0 while they cannot be had.
void PassTextureSize(int& width, int& height);
// After the field is built, before the passes copy: the window pixels that any of the passes, at
// these fields of view, can draw on (from the current model-view and viewport), within the pass
// textures. Everywhere else the five pictures are the same pixels, and their mean is the fifth.
PixelRect KeptPassRectangle(const float* fieldsOfView, int count);
// After blur pass `pass` (0 to 3): copies `rect` of the colour buffer into that pass's texture, at
// the same place.
void KeepPass(int pass, const PixelRect& rect);
// After the fifth pass: lays the four kept passes over it within `rect`, texel for pixel, as a
// running mean, leaving 0.2 x (C1 + ... + C5) there. Restores every state it changes.
void AverageKeptPasses(const PixelRect& rect);
