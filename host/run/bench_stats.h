// The host's benchmark figures: per-frame timings summarised (median, 95th percentile, maximum),
// and the report as a table for people and as JSON for tests. Free of platform calls.
#pragma once
#include <string>
#include <vector>

struct TimingSummary {
    double median = 0, p95 = 0, max = 0, mean = 0, total = 0;  // milliseconds
};

// Nearest-rank percentiles over the values (in ms); all zero for no values.
TimingSummary SummariseTimings(std::vector<double> values);

struct ResourceCounts {
    long long gdiObjects = 0, userObjects = 0, handles = 0;
};

struct BenchReport {
    int frames = 0;
    double seconds = 0;               // wall time from the first Render's start to the last one's end
    bool pauseSkipped = false;        // --no-pause: the plug-in's Sleep calls returned at once
    std::vector<double> renderMs;     // each Render call, whole
    std::vector<double> pauseMs;      // time spent inside the plug-in's Sleep calls in that Render
    std::vector<double> designedPauseMs;  // what the plug-in asked Sleep for
    long long allocationsInit = -1;        // plug-in heap allocations before frame 1; -1 unknown
    long long allocationsFirst = -1;       // in frame 1
    long long allocationsAfterFirst = -1;  // and in frames 2..N
    // Processor time of the whole process (every thread, the driver's too) over Renders 2..N: on a
    // shared machine it varies less than the clock does.
    double cpuMsAfterFirst = -1;
    std::vector<double> glCalls;      // the plug-in's OpenGL calls in each Render; empty: not counted
    std::vector<double> accumCalls;   // of them glAccum's, in each Render
    std::vector<double> copiedPixels;  // pixels copied from the colour buffer into textures, each Render
    std::vector<std::pair<std::string, unsigned long long>> glCallsByFunction;  // over all Renders, most first
    // GL_VENDOR, GL_RENDERER and GL_VERSION of the plug-in's context: which rasteriser drew the frames.
    std::string glVendor, glRenderer, glVersion;
    double peakWorkingSetMb = 0, peakPagefileMb = 0;
    // The most 2-D texture storage the plug-in held at once (its own definitions); -1 not followed.
    double textureMb = -1;
    ResourceCounts before, after;     // just before Init and just after Quit
};

double FramesPerSecond(const BenchReport& report);
std::string FormatBenchTable(const BenchReport& report);
std::string FormatBenchJson(const BenchReport& report);
