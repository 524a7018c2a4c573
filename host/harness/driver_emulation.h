// Drivers other than this machine's, emulated around the plug-in's calls: a swap that exchanges
// buffers (the back buffer holds noise afterwards) and pixel-format lists whose accumulation
// formats belong to the system's software renderer, or that have none.
#pragma once
#include <windows.h>

// After a swap: fills the back buffer of the window behind dc with noise, as a driver that
// exchanges buffers leaves it undefined. Restores every OpenGL state it changes.
void FillBackBufferWithNoise(HDC dc);

// Rewrites a format's description as the emulated list shows it; `count` is the real list's length.
// software-accum (and software-chosen): every format with an accumulation buffer is the software renderer's.
// mixed-accum: the same, except the last such format, which stays accelerated.
// no-accum: no format has an accumulation buffer.
void EmulateFormatFlags(HDC dc, int format, PIXELFORMATDESCRIPTOR& description);
// The platform's ChoosePixelFormat answer as the emulated list would give it: under no-accum a
// format that really has an accumulation buffer gives way to the first one like it without, so
// the context made on it has none; under software-chosen the first software format with
// accumulation that fits the request is the answer.
int EmulatedChoice(HDC dc, const PIXELFORMATDESCRIPTOR& request, int chosen);
// The format mixed-accum leaves accelerated, 0 when there is none or the quirk is off.
int EmulatedFastAccumFormat(HDC dc);
