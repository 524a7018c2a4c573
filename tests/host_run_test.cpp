// Whole runs of the plug-in through the host bench: the records it hands over, the window it opens,
// Escape, forwarded keys, captured frames and resizing, a second run's textures.
#include <gtest/gtest.h>
#include <algorithm>
#include "tests/bench.h"

namespace {

const long long kThickFrame = 0x00040000L, kPopup = 0x80000000L, kToolWindow = 0x00000080L;

TEST(HostRun, HeaderAndModuleRecordsAsTheHostReadsThem) {
    BenchRun run = RunBench({"--frames", "1"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    const LogLine* header = run.First("header");
    ASSERT_NE(header, nullptr) << run.Describe();
    EXPECT_EQ(header->Int("version"), 256);
    EXPECT_EQ(header->Str("description"), "Korvath's OpenGL Smearscope");
    std::vector<LogLine> modules = run.Events("module");
    ASSERT_EQ(modules.size(), 3u) << run.Describe();
    for (const LogLine& module : modules)
        EXPECT_EQ(module.Bool("null"), module.Int("index") != 0) << "GetModule(" << module.Int("index") << ")";
    EXPECT_EQ(run.First("init")->Int("result"), 0);
}

TEST(HostRun, WindowedStartPutsTheDrawingSizeClientAreaAtTheRememberedPosition) {
    BenchRun run = RunBench({"--frames", "2"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    const LogLine* window = run.First("window");
    ASSERT_NE(window, nullptr) << run.Describe();
    EXPECT_EQ(window->Int("x"), 50);
    EXPECT_EQ(window->Int("y"), 50);
    EXPECT_EQ(window->Int("client_width"), 640);
    EXPECT_EQ(window->Int("client_height"), 380);
    EXPECT_TRUE(window->Int("style") & kThickFrame) << window->text;
    // The platform adds a caption to every overlapped window; the plug-in asks for the frame only.
    EXPECT_FALSE(window->Int("style") & kPopup) << window->text;
    EXPECT_TRUE(window->Int("exstyle") & kToolWindow) << window->text;
    // One is-playing query a frame, answered 1; the swap interval starts at 1.
    std::vector<LogLine> queries = run.Events("query");
    ASSERT_EQ(queries.size(), 2u) << run.Describe();
    for (const LogLine& query : queries) {
        EXPECT_EQ(query.Int("lparam"), 104);
        EXPECT_EQ(query.Int("answer"), 1);
    }
    ASSERT_NE(run.First("swap_interval"), nullptr) << run.Describe();
    EXPECT_EQ(run.First("swap_interval")->Int("interval"), 1);
    EXPECT_EQ(run.Count("message_box"), 0) << run.Describe();
}

TEST(HostRun, RunEndsCleanlyWithQuitThenTheWindowsQuitMessage) {
    BenchRun run = RunBench({"--frames", "3", "--not-playing"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    EXPECT_EQ(run.Count("render"), 3);
    EXPECT_EQ(run.Count("swap"), 3);
    for (const LogLine& query : run.Events("query")) EXPECT_EQ(query.Int("answer"), 0);
    int quit = run.IndexOf("quit");
    ASSERT_GE(quit, 0) << run.Describe();
    EXPECT_GT(run.IndexOf("wm_quit", quit), quit) << run.Describe();
    EXPECT_GT(run.IndexOf("unloaded", quit), quit) << run.Describe();
}

TEST(HostRun, EscapeBeforeFrameThreeEndsTheRunWithoutDrawingIt) {
    BenchRun run = RunBench({"--frames", "6", "--keys", "3:ESC"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    std::vector<LogLine> renders = run.Events("render");
    ASSERT_EQ(renders.size(), 3u) << run.Describe();
    EXPECT_EQ(renders[0].Int("result"), 0);
    EXPECT_EQ(renders[1].Int("result"), 0);
    EXPECT_EQ(renders[2].Int("result"), 1);
    EXPECT_EQ(run.Count("swap"), 2) << run.Describe();
    for (const LogLine& swap : run.Events("swap")) EXPECT_LT(swap.Int("frame"), 3) << swap.text;
    EXPECT_EQ(run.Count("forwarded_key"), 0) << run.Describe();
    EXPECT_GE(run.IndexOf("quit"), 0);
}

TEST(HostRun, KeysThatAreNotCommandsReachTheHostWindowUnchanged) {
    // Space, Left, the digit 5 and F1.
    BenchRun run = RunBench({"--frames", "4", "--keys", "2:SPACE,2:LEFT,3:53,3:112"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    std::vector<LogLine> posted = run.Events("key"), forwarded = run.Events("forwarded_key");
    ASSERT_EQ(posted.size(), 4u) << run.Describe();
    ASSERT_EQ(forwarded.size(), posted.size()) << run.Describe();
    for (size_t i = 0; i < posted.size(); ++i) {
        EXPECT_EQ(forwarded[i].Int("wparam"), posted[i].Int("wparam")) << forwarded[i].text;
        EXPECT_EQ(forwarded[i].Int("lparam"), posted[i].Int("lparam")) << forwarded[i].text;
    }
    EXPECT_EQ(forwarded[1].Int("wparam"), 0x25);
    EXPECT_TRUE(forwarded[1].Int("lparam") & (1 << 24)) << "Left is an extended key: " << forwarded[1].text;
    for (const LogLine& render : run.Events("render")) EXPECT_EQ(render.Int("result"), 0);
}

TEST(HostRun, CaptureWritesTheChosenFramesAtTheDrawingSize) {
    BenchOptions options;
    options.capture = true;
    BenchRun run = RunBench({"--frames", "3", "--capture-frames", "1,3"}, options);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    for (int frame : {1, 3}) {
        BenchImage image;
        ASSERT_TRUE(ReadPng(run.CapturePath(frame), image)) << run.CapturePath(frame);
        EXPECT_EQ(image.width, 640);
        EXPECT_EQ(image.height, 380);
    }
    EXPECT_EQ(GetFileAttributesA(run.CapturePath(2).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(HostRun, ResizeTo800x600GivesFramesOfThatSize) {
    BenchOptions options;
    options.capture = true;
    BenchRun run = RunBench({"--frames", "3", "--resize", "2:800x600", "--capture-frames", "1,2"}, options);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    const LogLine* resize = run.First("resize");
    ASSERT_NE(resize, nullptr) << run.Describe();
    EXPECT_EQ(resize->Int("client_width"), 800);
    EXPECT_EQ(resize->Int("client_height"), 600);
    BenchImage before, after;
    ASSERT_TRUE(ReadPng(run.CapturePath(1), before));
    ASSERT_TRUE(ReadPng(run.CapturePath(2), after));
    EXPECT_EQ(before.width, 640);
    EXPECT_EQ(before.height, 380);
    EXPECT_EQ(after.width, 800);
    EXPECT_EQ(after.height, 600);
}

// Two runs in one load, the second larger than the first (its size set in Config during the first):
// the second run's pass textures are defined by its own set-up alone, four of them, none before it
// under the first context's names and size. The trail's texture (GL_UNSIGNED_INT texels) is the
// set-up's last step; each run's Init begins with the class registration.
TEST(HostRun, ASecondLargerRunDefinesItsPassTexturesOnlyAfterItsSetUp) {
    BenchRun run = RunBench({"--runs", "2", "--frames", "2", "--call-order", "config-during-run", "--dialog",
                             "set:1012=1200,set:1013=800,ok"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    std::vector<int> starts;
    for (int i = 0; i < (int)run.log.size(); ++i)
        if (run.log[i].Event() == "call" && run.log[i].Str("function") == "RegisterClassExA") starts.push_back(i);
    ASSERT_EQ(starts.size(), 2u) << run.Describe();
    const int init = run.IndexOf("init", starts[1]);
    ASSERT_GT(init, starts[1]) << run.Describe();
    int before = 0, after = 0, trail = 0;
    long long widest = 0;
    for (int i = starts[1]; i < init; ++i) {
        const LogLine& line = run.log[i];
        if (line.Event() != "gl_texture") continue;
        if (line.Int("type") == 0x1405) {
            ++trail;
            continue;
        }
        ++(trail ? after : before);
        widest = std::max(widest, line.Int("width"));
    }
    EXPECT_EQ(trail, 1) << run.Describe();
    EXPECT_EQ(before, 0) << "before the set-up";
    EXPECT_EQ(after, 4) << "after it";
    EXPECT_GT(widest, 640) << "the second run is the larger";
}

TEST(HostRun, MissingPluginAndBadOptionsFailWithAReason) {
    BenchRun missing = RunBench({"--plugin", "C:\\no\\such\\vis_plugin.dll", "--frames", "1"});
    ASSERT_TRUE(missing.started);
    EXPECT_NE(missing.exitCode, 0u);
    EXPECT_NE(missing.stderrText.find("cannot load"), std::string::npos) << missing.stderrText;
    BenchRun bad = RunBench({"--keys", "x"});
    EXPECT_EQ(bad.exitCode, 1u) << bad.stderrText;
    EXPECT_NE(bad.stderrText.find("--keys"), std::string::npos) << bad.stderrText;
}

TEST(HostConfig, DialogShowsTheStoredValuesAndCancelEndsIt) {
    BenchRun run = RunBench({"--config", "--dialog", "set:1012=800,cancel"}, BenchOptions{false, 30000, ""});
    ASSERT_FALSE(run.timedOut) << run.Describe();
    if (run.stderrText.find("without showing its dialog") != std::string::npos)
        GTEST_SKIP() << "the configuration dialog is not built into this plug-in yet";
    ASSERT_TRUE(run.Finished()) << run.Describe();
    const LogLine* dialog = run.First("dialog");
    ASSERT_NE(dialog, nullptr) << run.Describe();
    EXPECT_FALSE(dialog->Bool("fullscreen"));
    EXPECT_EQ(dialog->Str("width"), "640");
    EXPECT_EQ(dialog->Str("height"), "380");
    ASSERT_NE(run.First("config_result"), nullptr) << run.Describe();
    EXPECT_EQ(run.First("config_result")->Int("result"), 2);
}

}  // namespace
