// Counts the plug-in's OpenGL calls: every import it takes from opengl32 goes through a small
// generated thunk that bumps a counter of that import's own and jumps on to the real function.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct GlFunctionCalls {
    std::string name;
    unsigned long long calls;
};

// Wraps every opengl32 import of the plug-in (again after each load); false when it imports none
// or the thunks' memory is refused. Install after any other hook so the thunks wrap it too.
bool InstallGlCallCounter(HMODULE plugin);
bool GlCallCounterInstalled();
// Brackets one counted stretch (a Render); GlCallsEnd returns the calls made within it, and the
// per-function totals add up the counted stretches only.
void GlCallsBegin();
unsigned long long GlCallsEnd();
// Calls of one function (by import name) within the last counted stretch; 0 when not imported.
unsigned long long GlCallsInLastStretch(const char* name);
// Calls per function over the counted stretches, most called first; functions never called left out.
std::vector<GlFunctionCalls> GlCallsByFunction();
