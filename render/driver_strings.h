// What a driver's strings say about it: whether it is Mesa (whose glAccum is the processor's work)
// and whether it takes textures of any size. Platform-free, for the native unit tests.
#pragma once

// "Mesa" (that case) anywhere in its GL_VERSION or GL_RENDERER; either may be null.
bool DriverIsMesa(const char* version, const char* renderer);
// OpenGL 2.0 or later by GL_VERSION's leading "major.minor", or GL_ARB_texture_non_power_of_two as a
// whole name in the extension list; either may be null.
bool DriverTakesAnyTextureSize(const char* version, const char* extensions);
