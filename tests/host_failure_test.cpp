// Start-up and tear-down failures injected through the host bench: each must show its own box,
// tear down what was built, and leave the run ending through Render returning 1 / Quit going on.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "tests/bench.h"
#include "tests/expected.h"

namespace {

// The names of the platform calls the plug-in made from line `from` on, up to the next box.
std::vector<std::string> CallsUntilBox(const BenchRun& run, int from) {
    std::vector<std::string> calls;
    for (int i = from; i < (int)run.log.size() && run.log[i].Event() != "message_box"; ++i)
        if (run.log[i].Event() == "call") calls.push_back(run.log[i].Str("function"));
    return calls;
}

std::vector<std::string> CallsAfter(const BenchRun& run, int from, int until) {
    std::vector<std::string> calls;
    for (int i = from; i < until; ++i)
        if (run.log[i].Event() == "call") calls.push_back(run.log[i].Str("function"));
    return calls;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// Index of the call line the host marked as injected, or -1.
int InjectedCall(const BenchRun& run) {
    for (int i = 0; i < (int)run.log.size(); ++i)
        if (run.log[i].Event() == "call" && run.log[i].Bool("injected")) return i;
    return -1;
}

// Each box's title, style and text come from tests/expect/boxes.tsv.
struct StartFailure {
    const char* fail;
    // The failed call, then the tear-down that runs before the box.
    std::vector<std::string> callsBeforeBox;
};

void PrintTo(const StartFailure& failure, std::ostream* out) { *out << failure.fail; }

class HostStartFailure : public ::testing::TestWithParam<StartFailure> {};

TEST_P(HostStartFailure, ShowsItsBoxAfterTearingDownAndTheFirstRenderEndsTheRun) {
    const StartFailure& expected = GetParam();
    BenchRun run = RunBench({"--frames", "3", "--fail", expected.fail});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    std::vector<LogLine> boxes = run.Events("message_box");
    ASSERT_EQ(boxes.size(), 1u) << run.Describe();
    const ExpectedBox box = ExpectedBoxFor("start", expected.fail);
    EXPECT_EQ(boxes[0].Str("title"), box.title);
    EXPECT_EQ(boxes[0].Str("text"), box.text);
    EXPECT_EQ(boxes[0].Int("style"), box.style);
    EXPECT_FALSE(boxes[0].Bool("owner"));
    EXPECT_FALSE(boxes[0].Bool("quit_pending")) << "the destroyed window's quit message would close the box unread";

    int injected = InjectedCall(run);
    ASSERT_GE(injected, 0) << run.Describe();
    EXPECT_EQ(Joined(CallsUntilBox(run, injected)), Joined(expected.callsBeforeBox)) << run.Describe();
    EXPECT_LT(run.IndexOf("message_box"), run.IndexOf("init")) << "the box belongs to Init";

    EXPECT_EQ(run.First("init")->Int("result"), 0);
    std::vector<LogLine> renders = run.Events("render");
    ASSERT_EQ(renders.size(), 1u) << run.Describe();
    EXPECT_EQ(renders[0].Int("result"), 1);
    EXPECT_EQ(run.Count("swap"), 0);
    EXPECT_EQ(run.Count("window"), 0) << "no window may outlive a failed start";
    EXPECT_GE(run.IndexOf("quit"), 0);
}

INSTANTIATE_TEST_SUITE_P(Steps, HostStartFailure, ::testing::Values(
    StartFailure{"RegisterClassExA", {"RegisterClassExA"}},
    StartFailure{"CreateWindowExA", {"CreateWindowExA", "UnregisterClassA"}},
    // The first GetDC is the window procedure's, during creation; the second is the start-up's own.
    StartFailure{"GetDC:2", {"GetDC", "DestroyWindow", "UnregisterClassA"}},
    StartFailure{"ChoosePixelFormat", {"ChoosePixelFormat", "ReleaseDC", "DestroyWindow", "UnregisterClassA"}},
    StartFailure{"SetPixelFormat", {"SetPixelFormat", "ReleaseDC", "DestroyWindow", "UnregisterClassA"}},
    StartFailure{"wglCreateContext", {"wglCreateContext", "ReleaseDC", "DestroyWindow", "UnregisterClassA"}},
    StartFailure{"wglMakeCurrent", {"wglMakeCurrent", "wglDeleteContext", "ReleaseDC", "DestroyWindow", "UnregisterClassA"}}),
    [](const ::testing::TestParamInfo<StartFailure>& info) {
        std::string name = info.param.fail;
        return name.substr(0, name.find(':'));
    });

struct ShutdownFailure {
    const char* function;
    std::vector<std::string> callsAfterBox;  // the tear-down that must go on
};

void PrintTo(const ShutdownFailure& failure, std::ostream* out) { *out << failure.function; }

// How many calls of `function` a clean run makes before Quit: the tear-down's is the next one.
int CallsBeforeQuit(const char* function) {
    static BenchRun clean = RunBench({"--frames", "2"});
    int count = 0;
    for (int i = 0; i < clean.IndexOf("quit"); ++i)
        if (clean.log[i].Event() == "call" && clean.log[i].Str("function") == function) ++count;
    return count;
}

class HostShutdownFailure : public ::testing::TestWithParam<ShutdownFailure> {};

TEST_P(HostShutdownFailure, ReportsItAndTheTearDownGoesOn) {
    const ShutdownFailure& expected = GetParam();
    const std::string fail = std::string(expected.function) + ":" + std::to_string(CallsBeforeQuit(expected.function) + 1);
    BenchRun run = RunBench({"--frames", "2", "--fail", fail});
    ASSERT_TRUE(run.Finished()) << fail << "\n" << run.Describe();
    std::vector<LogLine> boxes = run.Events("message_box");
    ASSERT_EQ(boxes.size(), 1u) << fail << "\n" << run.Describe();
    const ExpectedBox expectedBox = ExpectedBoxFor("shutdown", expected.function);
    EXPECT_EQ(boxes[0].Str("title"), expectedBox.title);
    EXPECT_EQ(boxes[0].Str("text"), expectedBox.text);
    EXPECT_EQ(boxes[0].Int("style"), expectedBox.style);
    EXPECT_FALSE(boxes[0].Bool("quit_pending")) << "the destroyed window's quit message would close the box unread";

    const int quit = run.IndexOf("quit"), box = run.IndexOf("message_box"), injected = InjectedCall(run);
    ASSERT_GE(quit, 0);
    EXPECT_GT(injected, quit) << "the failure belongs to the tear-down: " << run.Describe();
    EXPECT_EQ(box, injected + 1) << run.Describe();
    int end = run.IndexOf("unloaded");
    std::vector<std::string> after = CallsAfter(run, box, end);
    // Unloading the library may unregister classes of its own; compare the tear-down's part.
    after.resize(std::min(after.size(), expected.callsAfterBox.size()));
    EXPECT_EQ(Joined(after), Joined(expected.callsAfterBox)) << run.Describe();
    EXPECT_EQ(run.Count("render"), 2);
    EXPECT_GE(run.IndexOf("wm_quit", quit), 0) << "the window was destroyed: " << run.Describe();
}

INSTANTIATE_TEST_SUITE_P(Steps, HostShutdownFailure, ::testing::Values(
    ShutdownFailure{"wglMakeCurrent", {"wglDeleteContext", "ReleaseDC", "DestroyWindow", "UnregisterClassA"}},
    ShutdownFailure{"wglDeleteContext", {"ReleaseDC", "DestroyWindow", "UnregisterClassA"}},
    ShutdownFailure{"ReleaseDC", {"DestroyWindow", "UnregisterClassA"}},
    ShutdownFailure{"DestroyWindow", {"UnregisterClassA"}},
    ShutdownFailure{"UnregisterClassA", {}}),
    [](const ::testing::TestParamInfo<ShutdownFailure>& info) { return std::string(info.param.function); });

}  // namespace
