// Golden frames: each scenario of tests/goldens/scenarios.txt, run on the fake clock, must present
// exactly the pixels recorded for this build's architecture (scripts/record-goldens), whatever changes
// in how frames are drawn.
//
// Why a set can be trusted on any machine: it is drawn on softpipe (GALLIUM_DRIVER, set by CTest), Mesa's rasteriser in plain compiled
// code. llvmpipe compiles for the CPU it finds, so its last bits follow the CPU (i686 frames from a real
// CPU and from the emulated PC differed in up to 141,299 pixels); on softpipe the same two gave the same
// bits. Each architecture has its own set: i386 Mesa rounds differently from amd64 Mesa at edges.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include "tests/bench.h"

namespace {

struct GoldenScenario {
    std::string name;
    std::vector<int> frames;
    std::vector<std::string> options;
};

// Test names and failure messages show the scenario by name.
void PrintTo(const GoldenScenario& scenario, std::ostream* out) { *out << scenario.name; }

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::vector<GoldenScenario> LoadScenarios() {
    std::vector<GoldenScenario> scenarios;
    std::ifstream in(SMEARSCOPE_GOLDEN_DIR "/scenarios.txt");
    for (std::string line; std::getline(in, line);) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, frames, options;  // a fourth field only says where the i686 set is checked
        std::getline(fields, name, '|');
        std::getline(fields, frames, '|');
        std::getline(fields, options, '|');
        GoldenScenario scenario{Trim(name), {}, Words(options)};
        std::istringstream list(frames);
        for (std::string frame; std::getline(list, frame, ',');) scenario.frames.push_back(std::atoi(frame.c_str()));
        scenarios.push_back(scenario);
    }
    return scenarios;
}

std::string Joined(const std::vector<int>& frames) {
    std::string text;
    for (int frame : frames) text += (text.empty() ? "" : ",") + std::to_string(frame);
    return text;
}

const char* const kGoldenSet = SMEARSCOPE_GOLDEN_DIR "/" SMEARSCOPE_GOLDEN_ARCH;

std::string GoldenPath(const std::string& scenario, int frame) {
    char name[32];
    std::snprintf(name, sizeof(name), "/frame-%05d.png", frame);
    return kGoldenSet + ("/" + scenario) + name;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Equal pixels, or how many differ, by how much at most, and where the first one is.
::testing::AssertionResult SamePixels(const BenchImage& expected, const BenchImage& actual) {
    if (expected.width != actual.width || expected.height != actual.height)
        return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height << ", golden "
                                             << expected.width << "x" << expected.height;
    long differing = 0;
    int largest = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const int difference = std::max({std::abs(expected.R(x, y) - actual.R(x, y)),
                                             std::abs(expected.G(x, y) - actual.G(x, y)),
                                             std::abs(expected.B(x, y) - actual.B(x, y))});
            if (difference == 0) continue;
            if (differing++ == 0) firstX = x, firstY = y;
            largest = std::max(largest, difference);
        }
    if (largest == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ, by up to " << largest
                                         << " levels; the first at (" << firstX << ", " << firstY << ")";
}

}  // namespace

// A set or a scenario that is missing fails here, whatever the parameterised tests below make of it.
TEST(GoldenSet, HoldsEveryScenarioOfThisArchitecture) {
    const std::vector<GoldenScenario> scenarios = LoadScenarios();
    ASSERT_FALSE(scenarios.empty()) << "no scenarios in " SMEARSCOPE_GOLDEN_DIR "/scenarios.txt";
    ASSERT_TRUE(FileExists(kGoldenSet)) << "no golden set " << kGoldenSet << "; scripts/record-goldens writes it";
    for (const GoldenScenario& scenario : scenarios)
        for (int frame : scenario.frames)
            EXPECT_TRUE(FileExists(GoldenPath(scenario.name, frame))) << "no golden " << GoldenPath(scenario.name, frame);
}

class GoldenFrames : public ::testing::TestWithParam<GoldenScenario> {};

TEST_P(GoldenFrames, PresentTheRecordedPixels) {
    const GoldenScenario& scenario = GetParam();
    std::vector<std::string> arguments = {"--clock-step", "40", "--no-pause", "--frames",
                                          std::to_string(*std::max_element(scenario.frames.begin(),
                                                                           scenario.frames.end())),
                                          "--capture-frames", Joined(scenario.frames)};
    arguments.insert(arguments.end(), scenario.options.begin(), scenario.options.end());
    BenchOptions options;
    options.capture = true;
    options.timeoutMs = 240000;  // softpipe draws the 1024 x 768 scenarios slowly
    const BenchRun run = RunBench(arguments, options);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    for (int frame : scenario.frames) {
        BenchImage golden, actual;
        ASSERT_TRUE(ReadPng(GoldenPath(scenario.name, frame), golden))
            << "no golden " << GoldenPath(scenario.name, frame) << "; scripts/record-goldens writes them";
        ASSERT_TRUE(ReadPng(run.CapturePath(frame), actual)) << run.Describe();
        EXPECT_TRUE(SamePixels(golden, actual)) << scenario.name << ", frame " << frame;
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, GoldenFrames, ::testing::ValuesIn(LoadScenarios()),
                         [](const ::testing::TestParamInfo<GoldenScenario>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });
