// The host's benchmark: per-frame timing around Render, the plug-in's heap allocations through its
// own imports, and the process's memory and resource counters before and after the run.
#include "host/run/bench.h"
#include <psapi.h>
#include <GL/gl.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include "host/run/bench_stats.h"
#include "host/harness/gl_call_counter.h"
#include "host/harness/import_patch.h"
#include "host/harness/texture_storage.h"

namespace {

BenchReport report;
double frameStartMs = 0, firstStartMs = 0, lastEndMs = 0;
long long frameStartAllocations = 0;
unsigned long long frameStartCopied = 0;
std::atomic<long long> allocations{0};
bool countingAllocations = false;

decltype(&::malloc) realMalloc;
decltype(&::calloc) realCalloc;
decltype(&::realloc) realRealloc;
decltype(&::HeapAlloc) realHeapAlloc;

void* __cdecl CountMalloc(size_t size) {
    ++allocations;
    return realMalloc(size);
}
void* __cdecl CountCalloc(size_t count, size_t size) {
    ++allocations;
    return realCalloc(count, size);
}
void* __cdecl CountRealloc(void* block, size_t size) {
    ++allocations;
    return realRealloc(block, size);
}
LPVOID WINAPI CountHeapAlloc(HANDLE heap, DWORD flags, SIZE_T size) {
    ++allocations;
    return realHeapAlloc(heap, flags, size);
}

template <typename T>
bool Patch(HMODULE plugin, const char* name, T hook, T& real) {
    void* original = PatchImport(plugin, name, (void*)hook);
    if (original) real = (T)original;
    return original != nullptr;
}

// Through the host's own import, so the plug-in's count is untouched; empty where no context is
// current on this thread (Render on a thread of its own).
std::string GlString(GLenum name) {
    const char* text = (const char*)glGetString(name);
    return text ? text : "";
}

// User and kernel time of every thread of the process so far.
double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    auto ms = [](const FILETIME& t) { return double(((ULONGLONG)t.dwHighDateTime << 32) | t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

ResourceCounts ReadResourceCounts() {
    ResourceCounts counts;
    counts.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    DWORD handles = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &handles)) counts.handles = handles;
    return counts;
}

}  // namespace

double BenchClockMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return double(count.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

void InstallBenchCounters(HMODULE plugin) {
    // Any one of them patched is enough to count: a plug-in need not import all four.
    bool any = Patch(plugin, "malloc", CountMalloc, realMalloc);
    any = Patch(plugin, "calloc", CountCalloc, realCalloc) || any;
    any = Patch(plugin, "realloc", CountRealloc, realRealloc) || any;
    any = Patch(plugin, "HeapAlloc", CountHeapAlloc, realHeapAlloc) || any;
    countingAllocations = any;
    InstallGlCallCounter(plugin);
}

void BenchBeforeInit() { report.before = ReadResourceCounts(); }

void BenchFrameStart() {
    frameStartAllocations = allocations;
    frameStartCopied = TextureCopiedPixels();
    GlCallsBegin();
    frameStartMs = BenchClockMs();
    if (report.frames == 0) {
        firstStartMs = frameStartMs;
        if (countingAllocations) report.allocationsInit = frameStartAllocations;
    }
}

void BenchFrameEnd(int frame, double sleptMs, DWORD designedMs) {
    lastEndMs = BenchClockMs();
    // From the end of the first Render, which sets up what later ones reuse, to the end of the last.
    static double firstEndCpuMs = -1;
    if (frame == 1) firstEndCpuMs = ProcessCpuMs();
    else if (firstEndCpuMs >= 0) report.cpuMsAfterFirst = ProcessCpuMs() - firstEndCpuMs;
    const unsigned long long glCalls = GlCallsEnd();
    report.renderMs.push_back(lastEndMs - frameStartMs);
    if (GlCallCounterInstalled()) {
        report.glCalls.push_back(double(glCalls));
        report.accumCalls.push_back(double(GlCallsInLastStretch("glAccum")));
        report.copiedPixels.push_back(double(TextureCopiedPixels() - frameStartCopied));
    }
    report.pauseMs.push_back(sleptMs);
    report.designedPauseMs.push_back(double(designedMs));
    if (report.glRenderer.empty()) {
        report.glVendor = GlString(GL_VENDOR);
        report.glRenderer = GlString(GL_RENDERER);
        report.glVersion = GlString(GL_VERSION);
    }
    if (countingAllocations && frame == 1) report.allocationsFirst = allocations - frameStartAllocations;
    if (countingAllocations && frame > 1) {
        if (report.allocationsAfterFirst < 0) report.allocationsAfterFirst = 0;
        report.allocationsAfterFirst += allocations - frameStartAllocations;
    }
    ++report.frames;
}

void BenchAfterQuit() {
    report.after = ReadResourceCounts();
    report.textureMb = double(TextureStoragePeakBytes()) / (1024.0 * 1024.0);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory))) {
        report.peakWorkingSetMb = double(memory.PeakWorkingSetSize) / (1024.0 * 1024.0);
        report.peakPagefileMb = double(memory.PeakPagefileUsage) / (1024.0 * 1024.0);
    }
}

bool BenchReportResults(const HostOptions& options) {
    if (!options.bench) return true;
    report.seconds = report.frames ? (lastEndMs - firstStartMs) / 1000.0 : 0.0;
    report.pauseSkipped = options.noPause;
    for (const GlFunctionCalls& f : GlCallsByFunction()) report.glCallsByFunction.emplace_back(f.name, f.calls);
    std::fputs(FormatBenchTable(report).c_str(), stdout);
    std::fflush(stdout);
    if (options.benchJsonPath.empty()) return true;
    FILE* file = std::fopen(options.benchJsonPath.c_str(), "wb");
    if (!file) return false;
    std::fputs(FormatBenchJson(report).c_str(), file);
    return std::fclose(file) == 0;
}
