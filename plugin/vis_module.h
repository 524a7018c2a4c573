// The records exchanged with the host and the host-facing constants: the plug-in's whole face.
// Layout is fixed by the host, which reads and writes these records in place.
#pragma once
#include <windows.h>
#include <cstddef>

struct VisModule;

// Both host and plug-in use the C calling convention for the getter and the callbacks.
typedef VisModule* (*GetModuleProc)(int index);

struct VisHeader {
    int version;               // 256
    const char* description;
    GetModuleProc getModule;
};

struct VisModule {
    const char* description;
    HWND parentWindow;         // written by the host before any callback
    HINSTANCE instance;        // written by the host before any callback
    int sampleRate;
    int channelCount;
    int latencyMs;
    int delayMs;
    int spectrumChannels;
    int waveformChannels;
    unsigned char spectrumData[2][576];
    unsigned char waveformData[2][576];
    void (*Config)(VisModule* module);
    int (*Init)(VisModule* module);
    int (*Render)(VisModule* module);
    void (*Quit)(VisModule* module);
    void* userData;
};

#if !defined(_WIN64)  // the player is 32-bit; a 64-bit test build has the natural layout
static_assert(sizeof(VisHeader) == 12, "header layout");
static_assert(offsetof(VisModule, parentWindow) == 4, "module layout");
static_assert(offsetof(VisModule, instance) == 8, "module layout");
static_assert(offsetof(VisModule, sampleRate) == 12, "module layout");
static_assert(offsetof(VisModule, latencyMs) == 20, "module layout");
static_assert(offsetof(VisModule, spectrumChannels) == 28, "module layout");
static_assert(offsetof(VisModule, waveformChannels) == 32, "module layout");
static_assert(offsetof(VisModule, spectrumData) == 36, "module layout");
static_assert(offsetof(VisModule, waveformData) == 1188, "module layout");
static_assert(offsetof(VisModule, Config) == 2340, "module layout");
static_assert(offsetof(VisModule, Init) == 2344, "module layout");
static_assert(offsetof(VisModule, Render) == 2348, "module layout");
static_assert(offsetof(VisModule, Quit) == 2352, "module layout");
static_assert(offsetof(VisModule, userData) == 2356, "module layout");
static_assert(sizeof(VisModule) == 2360, "module layout");
#endif

typedef VisHeader* (*GetHeaderProc)();

// Host queries: WM_USER sent to parentWindow, selected by lParam.
enum : LPARAM {
    HOST_IS_PLAYING = 104,
    HOST_GET_LIST_POSITION = 125,
    HOST_GET_LIST_TITLE = 212,
};
const UINT kHostQueryMessage = WM_USER;
const int kVisHeaderVersion = 256;
