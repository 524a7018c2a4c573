// Rewrites entries of a loaded module's import address table, so that calls the module makes to
// a platform function land in a function of ours. A standard Win32 test technique.
#pragma once
#include <windows.h>

// Points every import of `function` (by name, from any DLL) in `module` at `replacement`.
// Returns the address the first entry held before (the real function), or null when the module
// does not import the function.
void* PatchImport(HMODULE module, const char* function, void* replacement);
