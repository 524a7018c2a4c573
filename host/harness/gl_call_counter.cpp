// Counts the plug-in's OpenGL calls through generated thunks, one per opengl32 import: each
// increments its own counter and jumps to the function the import entry held, leaving every
// argument register and the stack untouched, so any calling convention passes through.
#include "host/harness/gl_call_counter.h"
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include "host/harness/import_patch.h"

namespace {

// Counter and target sit just before the code: the x86_64 code reaches them relative to its own
// address, the i686 code by absolute address.
struct Thunk {
    volatile ULONG_PTR calls;
    ULONG_PTR target;
    unsigned char code[16];
};

struct Wrapped {
    std::string name;
    Thunk* thunk;
    ULONG_PTR callsAtBegin;
    ULONG_PTR lastStretch;
};

Thunk* thunks = nullptr;
std::vector<Wrapped> wrapped;
std::map<std::string, unsigned long long> countedByName;
void Emit(unsigned char*& at, std::initializer_list<unsigned char> bytes) {
    for (unsigned char b : bytes) *at++ = b;
}

void Emit32(unsigned char*& at, long long value) {
    const int32_t v = (int32_t)value;
    std::memcpy(at, &v, 4);
    at += 4;
}

void WriteThunkCode(Thunk* thunk) {
    unsigned char* at = thunk->code;
    const ULONG_PTR calls = (ULONG_PTR)&thunk->calls;
    const ULONG_PTR target = (ULONG_PTR)&thunk->target;
#if defined(__x86_64__)
    Emit(at, {0xF0, 0x48, 0xFF, 0x05});  // lock inc qword [rip + d]
    Emit32(at, (long long)calls - (long long)((ULONG_PTR)at + 4));
    Emit(at, {0xFF, 0x25});  // jmp qword [rip + d]
    Emit32(at, (long long)target - (long long)((ULONG_PTR)at + 4));
#else
    Emit(at, {0xF0, 0xFF, 0x05});  // lock inc dword [calls]
    Emit32(at, (long long)calls);
    Emit(at, {0xFF, 0x25});  // jmp dword [target]
    Emit32(at, (long long)target);
#endif
}

}  // namespace

bool InstallGlCallCounter(HMODULE plugin) {
    // The previous load's thunks served an address table that went with its library.
    wrapped.clear();
    if (thunks) VirtualFree(thunks, 0, MEM_RELEASE);
    thunks = nullptr;

    std::vector<std::pair<std::string, ULONG_PTR*>> entries;
    ForEachImportFrom(plugin, "opengl32.dll",
                      [&](const char* name, ULONG_PTR* entry) { entries.emplace_back(name, entry); });
    if (entries.empty()) return false;
    thunks = (Thunk*)VirtualAlloc(nullptr, entries.size() * sizeof(Thunk), MEM_COMMIT | MEM_RESERVE,
                                  PAGE_EXECUTE_READWRITE);
    if (!thunks) return false;
    for (size_t i = 0; i < entries.size(); ++i) {
        Thunk* thunk = &thunks[i];
        thunk->calls = 0;
        thunk->target = *entries[i].second;
        WriteThunkCode(thunk);
        wrapped.push_back({entries[i].first, thunk, 0, 0});
    }
    FlushInstructionCache(GetCurrentProcess(), thunks, entries.size() * sizeof(Thunk));
    for (size_t i = 0; i < entries.size(); ++i)
        WriteImportEntry(entries[i].second, (ULONG_PTR)thunks[i].code);
    return true;
}

bool GlCallCounterInstalled() { return !wrapped.empty(); }

void GlCallsBegin() {
    for (Wrapped& w : wrapped) w.callsAtBegin = w.thunk->calls;
}

unsigned long long GlCallsEnd() {
    unsigned long long stretch = 0;
    for (Wrapped& w : wrapped) {
        // Unsigned per counter, so a 32-bit counter's wrap-around still gives the stretch's calls.
        const ULONG_PTR calls = w.thunk->calls - w.callsAtBegin;
        w.lastStretch = calls;
        if (calls) countedByName[w.name] += calls;
        stretch += calls;
    }
    return stretch;
}

unsigned long long GlCallsInLastStretch(const char* name) {
    for (const Wrapped& w : wrapped)
        if (w.name == name) return w.lastStretch;
    return 0;
}

std::vector<GlFunctionCalls> GlCallsByFunction() {
    std::vector<GlFunctionCalls> list;
    for (const auto& entry : countedByName) list.push_back({entry.first, entry.second});
    std::stable_sort(list.begin(), list.end(),
                     [](const GlFunctionCalls& a, const GlFunctionCalls& b) { return a.calls > b.calls; });
    return list;
}
