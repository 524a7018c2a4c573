// The host's benchmark: times each Render and the plug-in's pauses inside it, counts the plug-in's
// heap allocations and OpenGL calls and the process's memory and GDI, USER and handle use.
#pragma once
#include <windows.h>
#include "host/run/options.h"

// Milliseconds on the high-resolution clock.
double BenchClockMs();
// Patches the plug-in's heap imports (malloc, calloc, realloc, HeapAlloc) to count its allocations,
// and wraps its opengl32 imports to count its OpenGL calls.
void InstallBenchCounters(HMODULE plugin);
void BenchBeforeInit();
// Around each Render: sleptMs is the time spent in the plug-in's Sleep calls, designedMs what it asked.
void BenchFrameStart();
void BenchFrameEnd(int frame, double sleptMs, DWORD designedMs);
void BenchAfterQuit();
// Prints the table and writes the JSON file when asked; false when the JSON cannot be written.
bool BenchReportResults(const HostOptions& options);
