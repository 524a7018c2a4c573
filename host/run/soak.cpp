// Reliability drills for the host bench: repeated runs and reloads with resource counts, hostile
// host answers (titles, is-playing), key and resize storms, and unusual callback orders.
#include "host/run/soak.h"
#include <psapi.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include "host/base/json_log.h"

namespace {

const int kKeysPerFrame = 100;
const int kResizesPerFrame = 50;

// One generator for every drill, seeded the same each process, so a failing case repeats exactly.
unsigned NextRandom() {
    static unsigned state = 12345u;
    state = state * 1103515245u + 12345u;
    return state >> 8;
}

struct WindowCount {
    DWORD process;
    int count;
};

BOOL CALLBACK CountProcessWindow(HWND window, LPARAM param) {
    auto* windows = (WindowCount*)param;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == windows->process) ++windows->count;
    return TRUE;
}

LPARAM KeyLParam(unsigned virtualKey, bool held) {
    UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    // Repeat count 1; bit 30 says the key was already down, as the platform's auto-repeat sets it.
    return 1 | ((LPARAM)(scan & 0xFF) << 16) | (held ? (1 << 30) : 0);
}

// NOTE: Wine 8 answers GetGuiResources and GetProcessHandleCount with 0 and leaves PrivateUsage 0.
// There the counts are taken by probing: a GDI handle whose high word is 0 matches its table entry
// whatever its generation (low words count up from 0x20), and process handles are small multiples of 4. On Windows the APIs answer.
int ProbeGdiObjects() {
    int count = 0;
    for (unsigned low = 0x20; low <= 0xFFFF; ++low)
        if (GetObjectType((HGDIOBJ)(ULONG_PTR)low) != 0) ++count;
    return count;
}

int ProbeHandles() {
    int count = 0;
    DWORD flags;
    for (ULONG_PTR value = 4; value <= 0x4000; value += 4)
        if (GetHandleInformation((HANDLE)value, &flags)) ++count;
    return count;
}

bool FreeglutClassRegistered() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    return GetClassInfoExA(GetModuleHandleA(nullptr), "FREEGLUT", &windowClass) != FALSE;
}

}  // namespace

void LogResources(const char* stage, int load, int run) {
    HANDLE process = GetCurrentProcess();
    DWORD handles = 0;
    if (!GetProcessHandleCount(process, &handles) || handles == 0) handles = (DWORD)ProbeHandles();
    DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    if (gdi == 0) gdi = (DWORD)ProbeGdiObjects();
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&memory, sizeof(memory));
    const SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    WindowCount windows{GetCurrentProcessId(), 0};
    EnumWindows(CountProcessWindow, (LPARAM)&windows);
    JsonLine("resources").Int("run", run).Int("gdi", gdi).Int("user", GetGuiResources(process, GR_USEROBJECTS))
        .Int("handles", handles).Int("private_bytes", (long long)privateBytes).Int("windows", windows.count)
        .Int("working_set", (long long)memory.WorkingSetSize).Int("pagefile", (long long)memory.PagefileUsage)
        .Int("load", load).Str("stage", stage).Int("tick", GetTickCount())
        .Bool("freeglut_class", FreeglutClassRegistered()).Write();
}

void LogFreeglutClass(int load) {
    JsonLine("freeglut_class").Int("load", load).Bool("registered", FreeglutClassRegistered()).Write();
}

const char* SoakTitle(const SoakOptions& soak, int frame, bool& overridden) {
    static std::string title;
    overridden = true;
    if (!soak.titleFile.empty()) {
        static std::string fromFile;
        static bool read = false;
        if (!read) {
            std::ifstream file(soak.titleFile, std::ios::binary);
            std::stringstream content;
            content << file.rdbuf();
            fromFile = content.str();
            read = true;
        }
        title = fromFile;
        return title.c_str();
    }
    if (soak.titleChanges) {
        // Lengths from 0 up to a few hundred, with format-like sequences the plug-in must draw as text.
        const size_t length = (size_t)(frame * 37) % 301;
        title.assign(length, ' ');
        for (size_t i = 0; i < length; ++i) title[i] = "%s%d%n%%ab 9\xe9\x7f"[(frame + i) % 14];
        return title.c_str();
    }
    overridden = false;
    return nullptr;
}

bool SoakIsPlaying(const SoakOptions& soak, int frame, bool playing) {
    if (!soak.playingFlap) return playing;
    return frame % 2 == 1;
}

void SoakBeforeFrame(const SoakOptions& soak, HWND window, int frame) {
    if (!window) return;
    int keysBefore = (frame - 2) * kKeysPerFrame;
    for (int i = 0; frame >= 2 && i < kKeysPerFrame && keysBefore + i < soak.randomKeys; ++i) {
        unsigned key = NextRandom() % 256;
        if (key == VK_ESCAPE) key = 0;  // Escape would end the run
        PostMessageA(window, WM_KEYDOWN, key, KeyLParam(key, (NextRandom() & 3) == 0));
    }
    const int storm = frame - 2;
    if (storm >= 0 && storm < (int)soak.keyStorms.size()) {
        const KeyStorm& held = soak.keyStorms[storm];
        for (int i = 0; i < held.count; ++i) PostMessageA(window, WM_KEYDOWN, held.virtualKey, KeyLParam(held.virtualKey, i > 0));
        JsonLine("key_storm").Int("frame", frame).Int("wparam", held.virtualKey).Int("count", held.count).Write();
    }
    int resizesBefore = (frame - 2) * kResizesPerFrame;
    for (int i = 0; frame >= 2 && i < kResizesPerFrame && resizesBefore + i < soak.resizeStorm; ++i) {
        const int width = (int)(NextRandom() % 1601), height = (int)(NextRandom() % 1601);
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
