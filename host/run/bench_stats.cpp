// The host's benchmark figures: per-frame timings summarised and the report formatted as a table
// and as JSON (one flat object, keys like render_ms_median). The work of a frame is its Render time less its pause, so the two always add up.
#include "host/run/bench_stats.h"
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

const size_t kTableFunctions = 6;

// Nearest rank: the smallest value with at least p percent of the values at or below it.
double Percentile(const std::vector<double>& sorted, double p) {
    size_t rank = size_t(std::ceil(p / 100.0 * double(sorted.size())));
    return sorted[rank == 0 ? 0 : rank - 1];
}

std::vector<double> WorkMs(const BenchReport& report) {
    std::vector<double> work(report.renderMs.size());
    for (size_t i = 0; i < work.size(); ++i)
        work[i] = report.renderMs[i] - (i < report.pauseMs.size() ? report.pauseMs[i] : 0.0);
    return work;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

std::string Row(const char* name, const TimingSummary& s) {
    return Format("  %-24s %9.3f %9.3f %9.3f %11.1f\n", name, s.median, s.p95, s.max, s.total);
}

std::string JsonSummary(const char* name, const TimingSummary& s) {
    return Format("\"%s_median\":%.4f,\"%s_p95\":%.4f,\"%s_max\":%.4f,\"%s_mean\":%.4f,\"%s_total\":%.4f",
                  name, s.median, name, s.p95, name, s.max, name, s.mean, name, s.total);
}

// A JSON string: quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        if (c < 0x20) quoted += Format("\\u%04x", c);
        else quoted += (char)c;
    }
    return quoted + "\"";
}

std::string JsonCounts(const char* name, const ResourceCounts& c) {
    return Format("\"gdi_objects_%s\":%lld,\"user_objects_%s\":%lld,\"handles_%s\":%lld", name, c.gdiObjects,
                  name, c.userObjects, name, c.handles);
}

}  // namespace

TimingSummary SummariseTimings(std::vector<double> values) {
    TimingSummary summary;
    if (values.empty()) return summary;
    std::sort(values.begin(), values.end());
    summary.median = Percentile(values, 50);
    summary.p95 = Percentile(values, 95);
    summary.max = values.back();
    for (double v : values) summary.total += v;
    summary.mean = summary.total / double(values.size());
    return summary;
}

double FramesPerSecond(const BenchReport& report) {
    return report.seconds > 0 ? report.frames / report.seconds : 0.0;
}

std::string FormatBenchTable(const BenchReport& report) {
    std::string text = Format("smearscope-host bench: %d frames in %.2f s, %.1f frames per second%s\n",
                              report.frames, report.seconds, FramesPerSecond(report),
                              report.pauseSkipped ? " (pause skipped)" : "");
    text += Format("  %-24s %9s %9s %9s %11s\n", "per Render, ms", "median", "p95", "max", "total");
    text += Row("Render", SummariseTimings(report.renderMs));
    text += Row(report.pauseSkipped ? "pause (skipped)" : "pause (Sleep)", SummariseTimings(report.pauseMs));
    text += Row("work (the rest)", SummariseTimings(WorkMs(report)));
    text += Row("designed pause", SummariseTimings(report.designedPauseMs));
    if (report.allocationsAfterFirst >= 0)
        text += Format("  plug-in heap allocations: %lld in Init, %lld in frame 1, %lld after it (%.2f per frame)\n",
                       report.allocationsInit, report.allocationsFirst, report.allocationsAfterFirst,
                       report.frames > 1 ? double(report.allocationsAfterFirst) / (report.frames - 1) : 0.0);
    if (!report.glCalls.empty()) {
        const TimingSummary calls = SummariseTimings(report.glCalls);
        text += Format("  %-24s %9.0f %9.0f %9.0f %11.0f\n", "OpenGL calls per Render", calls.median, calls.p95,
                       calls.max, calls.total);
        std::string most;
        for (size_t i = 0; i < report.glCallsByFunction.size() && i < kTableFunctions; ++i)
            most += Format("%s%s %.0f", i ? ", " : "", report.glCallsByFunction[i].first.c_str(),
                           double(report.glCallsByFunction[i].second) / double(report.glCalls.size()));
        text += "  most called, per Render: " + most + "\n";
    }
    if (!report.glRenderer.empty())
        text += "  OpenGL: " + report.glVendor + ", " + report.glRenderer + ", " + report.glVersion + "\n";
    text += Format("  peak working set %.1f MB, peak pagefile usage %.1f MB\n", report.peakWorkingSetMb,
                   report.peakPagefileMb);
    if (report.textureMb >= 0) text += Format("  texture storage held at most %.2f MiB\n", report.textureMb);
    // A live process always holds handles and USER objects: 0 means the platform does not count them.
    auto count = [](long long value) { return value > 0 ? std::to_string(value) : std::string("n/a"); };
    text += Format("  %-24s %9s %9s\n", "resources", "before", "after");
    text += Format("  %-24s %9s %9s\n", "GDI objects", count(report.before.gdiObjects).c_str(),
                   count(report.after.gdiObjects).c_str());
    text += Format("  %-24s %9s %9s\n", "USER objects", count(report.before.userObjects).c_str(),
                   count(report.after.userObjects).c_str());
    text += Format("  %-24s %9s %9s\n", "handles", count(report.before.handles).c_str(),
                   count(report.after.handles).c_str());
    return text;
}

std::string FormatBenchJson(const BenchReport& report) {
    std::string text = Format("{\"frames\":%d,\"seconds\":%.4f,\"fps\":%.3f,\"pause_skipped\":%s,", report.frames,
                              report.seconds, FramesPerSecond(report), report.pauseSkipped ? "true" : "false");
    text += JsonSummary("render_ms", SummariseTimings(report.renderMs)) + ",";
    text += JsonSummary("pause_ms", SummariseTimings(report.pauseMs)) + ",";
    text += JsonSummary("work_ms", SummariseTimings(WorkMs(report))) + ",";
    text += JsonSummary("designed_pause_ms", SummariseTimings(report.designedPauseMs)) + ",";
    text += Format("\"allocations_init\":%lld,\"allocations_first_frame\":%lld,\"allocations_after_first_frame\":%lld,",
                   report.allocationsInit, report.allocationsFirst, report.allocationsAfterFirst);
    if (report.cpuMsAfterFirst >= 0 && report.frames > 1)
        text += Format("\"cpu_ms_per_frame\":%.4f,", report.cpuMsAfterFirst / (report.frames - 1));
    if (!report.glCalls.empty()) {
        text += JsonSummary("gl_calls", SummariseTimings(report.glCalls)) + ",";
        text += Format("\"accum_calls_per_frame\":%.0f,", SummariseTimings(report.accumCalls).median);
        text += Format("\"copied_pixels_per_frame\":%.0f,", SummariseTimings(report.copiedPixels).median);
        for (const auto& function : report.glCallsByFunction)
            text += Format("\"gl_calls_%s\":%llu,", function.first.c_str(), function.second);
    }
    text += "\"gl_vendor\":" + JsonString(report.glVendor) + ",\"gl_renderer\":" + JsonString(report.glRenderer) +
            ",\"gl_version\":" + JsonString(report.glVersion) + ",";
    text += Format("\"peak_working_set_mb\":%.2f,\"peak_pagefile_mb\":%.2f,", report.peakWorkingSetMb,
                   report.peakPagefileMb);
    if (report.textureMb >= 0) text += Format("\"texture_mb\":%.2f,", report.textureMb);
    text += JsonCounts("before", report.before) + "," + JsonCounts("after", report.after) + "}\n";
    return text;
}
