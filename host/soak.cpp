// Reliability drills for the host bench: repeated runs and reloads with resource counts, hostile
// host answers (titles, is-playing), key and resize storms, and unusual callback orders.
#include "host/soak.h"
#include <psapi.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include "host/host_state.h"
#include "host/json_log.h"
#include "host/options.h"

namespace {

const int kKeysPerFrame = 100;
const int kResizesPerFrame = 50;

bool ParseCount(const std::string& text, int& value, int least) {
    char* end = nullptr;
    long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed < least || parsed > 1000000) return false;
    value = (int)parsed;
    return true;
}

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

}  // namespace

bool ParseSoakOption(const std::string& option, const std::function<bool(std::string&)>& value,
                     SoakOptions& options, bool& handled, std::string& error) {
    handled = true;
    std::string text;
    if (option == "--runs" || option == "--reloads") {
        if (!value(text)) return false;
        if (!ParseCount(text, option == "--runs" ? options.runs : options.reloads, 1)) {
            error = option + " wants a positive number, got " + text;
            return false;
        }
    } else if (option == "--title-file") {
        if (!value(options.titleFile)) return false;
    } else if (option == "--title-changes") {
        options.titleChanges = true;
    } else if (option == "--playing-flap") {
        options.playingFlap = true;
    } else if (option == "--random-keys" || option == "--resize-storm") {
        if (!value(text)) return false;
        if (!ParseCount(text, option == "--random-keys" ? options.randomKeys : options.resizeStorm, 0)) {
            error = option + " wants a count, got " + text;
            return false;
        }
    } else if (option == "--key-storm") {
        if (!value(text)) return false;
        size_t colon = text.find(':');
        KeyStorm storm{colon == std::string::npos ? 0u : KeyNameToVirtualKey(text.substr(0, colon)), 0};
        if (storm.virtualKey == 0 || !ParseCount(text.substr(colon + 1), storm.count, 1)) {
            error = "--key-storm wants KEY:COUNT, got " + text;
            return false;
        }
        options.keyStorms.push_back(storm);
    } else if (option == "--call-order") {
        if (!value(text)) return false;
        if (text == "render-after-quit") options.callOrder = CallOrder::RenderAfterQuit;
        else if (text == "quit-without-init") options.callOrder = CallOrder::QuitWithoutInit;
        else if (text == "init-twice") options.callOrder = CallOrder::InitTwice;
        else if (text == "config-during-run") options.callOrder = CallOrder::ConfigDuringRun;
        else {
            error = "--call-order wants render-after-quit, quit-without-init, init-twice or config-during-run, got " + text;
            return false;
        }
    } else {
        handled = false;
    }
    return true;
}

const char* SoakUsage() {
    return
        "Reliability drills:\n"
        "  --runs N               N visualisation runs (Init, frames, Quit) per load\n"
        "  --reloads N            load, run and free the library N times\n"
        "                         (both log resource counts after each run and each unload)\n"
        "  --title-file PATH      the title's bytes come from PATH (up to its first NUL)\n"
        "  --title-changes        a different title, of a different length, every frame\n"
        "  --playing-flap         answer is-playing 1 and 0 on alternate frames\n"
        "  --random-keys N        N key-downs over every code but Escape, 100 a frame from frame 2\n"
        "  --key-storm KEY:N      KEY held: N key-downs with the repeat bit, in one frame; repeatable\n"
        "  --resize-storm N       N quick random resizes (0 to 1600 pixels), 50 a frame from frame 2\n"
        "  --call-order NAME      render-after-quit | quit-without-init | init-twice | config-during-run\n";
}

namespace {

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

}  // namespace

namespace {
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

const char* SoakTitle(int frame, bool& overridden) {
    const SoakOptions& soak = hostState.options.soak;
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

bool SoakIsPlaying(int frame, bool playing) {
    if (!hostState.options.soak.playingFlap) return playing;
    return frame % 2 == 1;
}

void SoakBeforeFrame(HWND window, int frame) {
    const SoakOptions& soak = hostState.options.soak;
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
