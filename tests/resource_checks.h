// Resource counts the host logs after each run or unload ("resources" lines), and the check that
// none of them grows with the repetitions. For the soak and the hosts that start and stop often.
#pragma once
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "tests/bench.h"

const long long kMegabyte = 1024 * 1024;

inline std::vector<LogLine> Resources(const BenchRun& run, const char* stage) {
    std::vector<LogLine> found;
    for (const LogLine& line : run.Events("resources"))
        if (line.Str("stage") == stage) found.push_back(line);
    return found;
}

// From `settled` on, no count may grow by one for every repetition: a leak of even one object,
// handle or window per run or load would. Wine's own GDI objects and handles step up by one or
// two now and then (measured: flat at 62 objects over 50 loads, 62 to 66 over 10 in another
// process), which this allows. Private bytes may drift within `tolerance`.
inline void ExpectNoGrowth(const std::vector<LogLine>& counts, size_t settled, long long tolerance) {
    ASSERT_GT(counts.size(), settled + 1);
    const LogLine& base = counts[settled];
    const long long repetitions = (long long)(counts.size() - 1 - settled);
    for (const char* key : {"gdi", "user", "handles", "windows"}) {
        long long most = base.Int(key);
        for (size_t i = settled + 1; i < counts.size(); ++i) most = std::max(most, counts[i].Int(key));
        EXPECT_LT(most - base.Int(key), repetitions) << key << " grew from " << base.text << " to " << counts.back().text;
    }
    for (size_t i = settled + 1; i < counts.size(); ++i)
        EXPECT_LE(counts[i].Int("private_bytes"), base.Int("private_bytes") + tolerance) << counts[i].text;
    ::testing::Test::RecordProperty("first_private_bytes", std::to_string(base.Int("private_bytes")));
    ::testing::Test::RecordProperty("last_private_bytes", std::to_string(counts.back().Int("private_bytes")));
}
