// The built-in demo track: a beat and a few chords, synthesised at start, so the host needs no file.
#pragma once
#include "host/listen/wav_format.h"

// About 20 seconds of stereo at 44.1 kHz: a kick on every beat at 120 per minute, a hi-hat on the
// off-beats, and four chords of two bars each.
AudioClip SynthesiseDemoTrack();
