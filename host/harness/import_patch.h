// Rewrites entries of a loaded module's import address table, so that calls the module makes to
// a platform function land in a function of ours. A standard Win32 test technique.
#pragma once
#include <windows.h>
#include <functional>

// Points every import of `function` (by name, from any DLL) in `module` at `replacement`.
// Returns the address the first entry held before (the real function), or null when the module
// does not import the function.
void* PatchImport(HMODULE module, const char* function, void* replacement);

// Calls `visit` with the name and address-table entry of every import by name that `module` takes
// from `dll` (case-insensitive, e.g. "opengl32.dll"; null: from every DLL), in table order.
void ForEachImportFrom(HMODULE module, const char* dll,
                       const std::function<void(const char* name, ULONG_PTR* entry)>& visit);
// Writes one address-table entry through a temporary unprotect; false when that is refused.
bool WriteImportEntry(ULONG_PTR* entry, ULONG_PTR value);
