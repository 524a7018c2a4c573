// The host's fake clock: with --clock-step two runs present the same frames byte for byte, and the
// picture still moves from frame to frame because the clock does.
#include <gtest/gtest.h>
#include <cstdlib>
#include "tests/bench.h"

namespace {

// Every layer that reads the clock or the spectrum: rotation, trail, title, fps readout, flash,
// noise, help and a notice fading, over the demo track's beat.
const std::vector<std::string> kBusyRun = {"--frames", "6", "--clock-step", "40", "--capture-frames", "2,4,6",
                                           "--keys", "1:T,1:P,1:F,1:N,1:H", "--no-pause"};

BenchRun CaptureBusyRun() {
    BenchOptions options;
    options.capture = true;
    return RunBench(kBusyRun, options);
}

TEST(HostClock, TwoRunsWithTheSameStepCaptureIdenticalBytes) {
    BenchRun first = CaptureBusyRun();
    BenchRun second = CaptureBusyRun();
    ASSERT_TRUE(first.Finished()) << first.Describe();
    ASSERT_TRUE(second.Finished()) << second.Describe();
    for (int frame : {2, 4, 6}) {
        const std::string a = ReadWholeFile(first.CapturePath(frame));
        ASSERT_FALSE(a.empty()) << first.CapturePath(frame);
        EXPECT_TRUE(a == ReadWholeFile(second.CapturePath(frame))) << "frame " << frame << " differs between runs";
    }
    // The clock moves: later frames are not copies of earlier ones.
    EXPECT_NE(ReadWholeFile(first.CapturePath(2)), ReadWholeFile(first.CapturePath(6)));
}

// The log's "position" field as a number.
double Position(const LogLine& line) {
    const size_t at = line.text.find("\"position\":");
    return at == std::string::npos ? -1.0 : std::atof(line.text.c_str() + at + 11);
}

TEST(HostClock, PlayPositionAdvancesByTheStepPerFrame) {
    BenchRun run = RunBench({"--frames", "4", "--clock-step", "250", "--no-pause"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    std::vector<LogLine> spectra = run.Events("spectrum");
    ASSERT_EQ(spectra.size(), 4u) << run.Describe();
    for (size_t i = 1; i < spectra.size(); ++i)
        EXPECT_DOUBLE_EQ(Position(spectra[i]) - Position(spectra[i - 1]), 0.25) << spectra[i].text;
}

}  // namespace
