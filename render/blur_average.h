// How the zoom blur averages its five passes: which way a context takes (chosen once, at Init) and
// the texture way's pass textures, made at Init, grown with the drawing size, laid back as a mean
// over the window rectangle the passes can touch.
#pragma once
#include "render/field_view.h"

enum class BlurWay {
    Accumulation,  // glAccum: on a vendor's driver, the graphics side's own work
    Textures,      // the first four passes kept in textures and laid back over the fifth
    None,          // neither can be had: the passes stay drawn over one another
};

// The way this context was given at Init; a frame may still fall back (FrameBlurWay).
extern BlurWay chosenBlurWay;

// Whether the driver is Mesa, whose glAccum is the processor's work: "Mesa" (that case) anywhere
// in its GL_VERSION or GL_RENDERER. Either may be null.
bool DriverIsMesa(const char* version, const char* renderer);
// Once per context, after it is made current: reads its accumulation bits and driver strings and
// names the four pass textures (their storage comes with GrowPassTextures).
void ChooseBlurWay();
// Where the drawing size changes, on the context's thread, never in a frame: grows the pass textures
// to hold width x height. A texture that cannot be had (beyond the driver's size, out of memory)
// gives up all four until a later size fits; frames then take the fallback FrameBlurWay names.
void GrowPassTextures(int width, int height);
// This frame's way: the chosen one, or where the textures are missing, accumulation if the
// context has an accumulation buffer, else None.
BlurWay FrameBlurWay();
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
