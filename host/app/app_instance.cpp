// One app at a time per user folder: the first start owns the folder (a named mutex made from
// its path) and publishes its window in a small named memory block; a later start finds the
// window there, lets it take the foreground, and asks it to come forward.
#include "host/app/app_instance.h"
#include "host/app/app_messages.h"
#include <cstdint>
#include <cstdio>
#include "host/base/json_log.h"

namespace {

HANDLE ownership = nullptr;
HANDLE published = nullptr;

// The folder's full path, lower case, hashed (FNV-1a): two spellings of one folder share a name,
// and the name stays within what a kernel object's name may hold.
std::string ObjectName(const std::string& folder, const char* kind) {
    char full[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(folder.c_str(), sizeof(full), full, nullptr);
    std::string path = length && length < sizeof(full) ? std::string(full, length) : folder;
    CharLowerBuffA(&path[0], (DWORD)path.size());
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : path) hash = (hash ^ c) * 1099511628211ull;
    char name[64];
    std::snprintf(name, sizeof(name), "Local\\Smearscope-%s-%016llx", kind, (unsigned long long)hash);
    return name;
}

// The block of the folder's first start: its window's handle, as a 64-bit number on every build.
volatile uint64_t* WindowSlot(bool create, const std::string& folder) {
    const std::string name = ObjectName(folder, "window");
    if (create && !published)
        published =
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(uint64_t), name.c_str());
    HANDLE mapping = create ? published : OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (!mapping) return nullptr;
    void* view = MapViewOfFile(mapping, create ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, sizeof(uint64_t));
    if (!create) CloseHandle(mapping);  // the view keeps the block
    return (volatile uint64_t*)view;
}

std::string claimedFolder;

}  // namespace

bool ClaimUserFolder(const std::string& folder) {
    ownership = CreateMutexA(nullptr, FALSE, ObjectName(folder, "folder").c_str());
    if (ownership && GetLastError() == ERROR_ALREADY_EXISTS) return false;
    claimedFolder = folder;
    return true;
}

void PublishAppWindow(HWND window) {
    if (claimedFolder.empty()) return;
    volatile uint64_t* slot = WindowSlot(true, claimedFolder);
    if (!slot) return;
    *slot = (uint64_t)(uintptr_t)window;
    UnmapViewOfFile((void*)slot);
}

bool HandOverToRunningApp(const std::string& folder, bool config, DWORD waitMs) {
    HWND window = nullptr;
    for (DWORD start = GetTickCount();; Sleep(50)) {
        if (volatile uint64_t* slot = WindowSlot(false, folder)) {
            window = (HWND)(uintptr_t)*slot;
            UnmapViewOfFile((void*)slot);
        }
        if ((window && IsWindow(window)) || GetTickCount() - start > waitMs) break;
    }
    DWORD process = 0;
    const bool found = window && IsWindow(window) && GetWindowThreadProcessId(window, &process);
    // NOTE: Windows lets only the foreground's process give the foreground away; the started
    // program has it, the running one has not.
    if (found) AllowSetForegroundWindow(process);
    const bool told = found && PostMessageA(window, kAppHandOverMessage, config ? 1 : 0, 0);
    JsonLine("hand_over").Bool("told", told).Bool("config", config).Int("process", process).Write();
    return told;
}
