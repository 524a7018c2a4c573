// The host's benchmark figures: percentiles by nearest rank, work as Render less pause, and the
// table's marking of counters the platform does not keep, and the rasteriser named in both.
#include <gtest/gtest.h>
#include "host/run/bench_stats.h"

TEST(BenchStats, NearestRankPercentilesOfOneToHundred) {
    std::vector<double> values;
    for (int i = 100; i >= 1; --i) values.push_back(i);
    TimingSummary s = SummariseTimings(values);
    EXPECT_EQ(s.median, 50);
    EXPECT_EQ(s.p95, 95);
    EXPECT_EQ(s.max, 100);
    EXPECT_EQ(s.total, 5050);
    EXPECT_EQ(SummariseTimings({7}).p95, 7);
    EXPECT_EQ(SummariseTimings({}).max, 0);
}

TEST(BenchStats, WorkIsRenderLessPauseAndTheJsonSaysSo) {
    BenchReport report;
    report.frames = 3;
    report.seconds = 0.5;
    report.renderMs = {10.0, 12.0, 30.0};
    report.pauseMs = {6.0, 6.5, 2.0};
    report.designedPauseMs = {6, 6, 2};
    report.before.handles = 40;
    report.glVendor = "Mesa \"x\"\\";
    report.glRenderer = "llvmpipe (LLVM 15.0.6, 256 bits)";
    report.glVersion = "1.4";
    const std::string json = FormatBenchJson(report);
    EXPECT_NE(json.find("\"gl_vendor\":\"Mesa \\\"x\\\"\\\\\",\"gl_renderer\":\"llvmpipe (LLVM 15.0.6, 256 bits)\""),
              std::string::npos) << json;
    EXPECT_NE(json.find("\"fps\":6.000"), std::string::npos) << json;
    EXPECT_NE(json.find("\"work_ms_total\":37.5000"), std::string::npos) << json;
    EXPECT_NE(json.find("\"work_ms_max\":28.0000"), std::string::npos) << json;
    EXPECT_NE(json.find("\"pause_ms_total\":14.5000"), std::string::npos) << json;
    const std::string table = FormatBenchTable(report);
    EXPECT_NE(table.find("3 frames in 0.50 s, 6.0 frames per second"), std::string::npos) << table;
    EXPECT_NE(table.find("handles                         40       n/a"), std::string::npos) << table;
    EXPECT_NE(table.find("OpenGL: Mesa \"x\"\\, llvmpipe (LLVM 15.0.6, 256 bits), 1.4"), std::string::npos) << table;
}
