// The plug-in's questions to OpenGL answered as other drivers would (--quirk vendor-gl, coarse-subpixel,
// proxy-refuses): its glGetString, glGetIntegerv and glGetTexLevelParameteriv imports go through
// answers of ours, the rest to the real driver.
#pragma once
#include <windows.h>

// Patches the plug-in's glGetString, glGetIntegerv and glGetTexLevelParameteriv imports (those it
// takes); install before the OpenGL call counter, whose thunks then wrap these hooks and count the
// plug-in's calls as before.
void InstallGlAnswers(HMODULE plugin);
