// The plug-in in hosts that drive it differently from the player (--quirk): each quirk alone and all
// together must end in a clean run: no box, Quit reached, the settings saved, nothing else written.
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "tests/bench.h"
#include "tests/bench_settings.h"
#include "tests/resource_checks.h"

namespace {

const char kTitleAndFlashOn[] =
    "[Korvath's OpenGL Smearscope]\r\nfullscreen=0\r\nShowSongTitle=1\r\nFlashScreen=1\r\nWidth=600\r\n"
    "Height=300\r\nConfig_X=70\r\nConfig_Y=80\r\n";
const char kSmallWindow[] = "[Korvath's OpenGL Smearscope]\r\nWidth=64\r\nHeight=48\r\n";

std::vector<long long> RenderResults(const BenchRun& run) {
    std::vector<long long> results;
    for (const LogLine& render : run.Events("render")) results.push_back(render.Int("result"));
    return results;
}

struct QuirkCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string settingsFile;  // "" : none before the run
    std::function<void(const BenchRun&)> check;
    bool capture = false;
    DWORD timeoutMs = 60000;
};

void PrintTo(const QuirkCase& quirkCase, std::ostream* out) { *out << quirkCase.name; }

class HostQuirk : public ::testing::TestWithParam<QuirkCase> {};

TEST_P(HostQuirk, RunsCleanlyToQuitAndSavesTheSettings) {
    const QuirkCase& quirkCase = GetParam();
    char windowsFolder[MAX_PATH] = {};
    GetWindowsDirectoryA(windowsFolder, sizeof(windowsFolder));
    const std::string straySettings = std::string(windowsFolder) + "\\Smearscope.ini";
    const bool strayBefore = GetFileAttributesA(straySettings.c_str()) != INVALID_FILE_ATTRIBUTES;

    BenchRun run = RunBench(quirkCase.arguments,
                            BenchOptions{quirkCase.capture, quirkCase.timeoutMs, quirkCase.settingsFile});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    EXPECT_EQ(run.Count("message_box"), 0) << run.Describe();
    EXPECT_EQ(run.Count("crash"), 0) << run.Describe();
    const int quit = run.IndexOf("quit");
    ASSERT_GE(quit, 0) << run.Describe();
    EXPECT_GT(run.IndexOf("unloaded", quit), quit) << run.Describe();
    ASSERT_NE(run.First("exit"), nullptr) << run.Describe();
    EXPECT_EQ(run.First("exit")->Int("status"), 0);
    for (const LogLine& quirk : run.Events("quirk")) EXPECT_NE(quirk.Str("name"), "") << quirk.text;

    const std::string settings = run.SettingsText();
    for (const char* key : {"fullscreen", "ShowSongTitle", "FlashScreen", "Width", "Height", "Config_X", "Config_Y"})
        EXPECT_TRUE(IsDecimal(SettingValue(settings, key))) << key << " in\n" << settings;
    // The plug-in writes its settings file and nothing else: not beside itself, not a bare-name file.
    std::set<std::string> expected = {"vis_Smearscope.dll", "Smearscope.ini", "log.jsonl", "stderr.txt", "stdout.txt"};
    if (quirkCase.capture) expected.insert("capture");
    EXPECT_EQ(FolderNames(run.folder), expected);
    if (!strayBefore) {
        EXPECT_EQ(GetFileAttributesA(straySettings.c_str()), INVALID_FILE_ATTRIBUTES);
    }

    quirkCase.check(run);
}

void CheckConfigBeforeInit(const BenchRun& run) {
    const int dialog = run.IndexOf("dialog"), result = run.IndexOf("config_result"), init = run.IndexOf("init");
    ASSERT_GE(dialog, 0) << run.Describe();
    ASSERT_GE(result, 0) << run.Describe();
    EXPECT_LT(result, init) << "Config ends before Init starts";
    EXPECT_EQ(run.log[result].Int("result"), 2) << "dismissed with cancel";
    EXPECT_EQ(RenderResults(run), (std::vector<long long>{0, 0, 0}));
    EXPECT_EQ(run.Count("swap"), 3);
}

void CheckConfigOkBeforeInit(const BenchRun& run) {
    // What Config saved is what Init builds.
    ASSERT_NE(run.First("window"), nullptr) << run.Describe();
    EXPECT_EQ(run.First("window")->Int("client_width"), 720);
    EXPECT_EQ(SettingValue(run.SettingsText(), "Width"), "720");
    EXPECT_EQ(run.First("config_result")->Int("result"), 1);
}

// The render thread's calls are drawn on the thread that ran Init, which pumps its messages while
// it waits for them: every call draws and asks the host as the one-thread host's do.
void CheckRenderThreadDraws(const BenchRun& run, size_t renders) {
    ASSERT_NE(run.First("render_thread"), nullptr) << run.Describe();
    EXPECT_EQ(RenderResults(run), std::vector<long long>(renders, 0)) << run.Describe();
    EXPECT_EQ(run.Count("swap"), (int)renders) << run.Describe();
    EXPECT_GE(run.Count("query"), (int)renders) << run.Describe();
    const std::string settings = run.SettingsText();
    EXPECT_EQ(SettingValue(settings, "ShowSongTitle"), "1");
    EXPECT_EQ(SettingValue(settings, "FlashScreen"), "1");
    EXPECT_EQ(SettingValue(settings, "Width"), "600");
    EXPECT_EQ(SettingValue(settings, "Height"), "300");
    // Quit, on the thread that holds the context, still releases everything and reports nothing.
    for (const LogLine& call : run.Events("call")) EXPECT_TRUE(call.Bool("ok")) << call.text;
}

// Keys for every command but Escape, then Escape before frame 9: the frames show each notice.
const std::vector<std::string> kTimerScenario = {"--frames", "12", "--clock-step", "40", "--no-pause", "--keys",
                                                 "2:P,3:N,4:H,5:F,6:S,7:T,8:R,9:ESC"};

// Frames drawn under the loader's timer equal, byte for byte, the one-thread host's on the stepped
// clock, keys and notices included; after Escape every call answers 1 until the loader stops.
void CheckTimerThreadFramesAsOneThread(const BenchRun& run) {
    std::vector<long long> drawn, resultsAfterDrawn;
    for (const LogLine& render : run.Events("render")) {
        if (render.Bool("drawn")) drawn.push_back(render.Int("frame"));
        else if (!drawn.empty() && drawn.back() == 8) resultsAfterDrawn.push_back(render.Int("result"));
    }
    EXPECT_EQ(drawn, (std::vector<long long>{1, 2, 3, 4, 5, 6, 7, 8})) << run.Describe();
    EXPECT_GE(resultsAfterDrawn.size(), 3u) << run.Describe();
    EXPECT_EQ(std::count(resultsAfterDrawn.begin(), resultsAfterDrawn.end(), 0), 0) << run.Describe();
    // S reached the window procedure on the Init thread; every key was a command.
    std::vector<long long> intervals;
    for (const LogLine& interval : run.Events("swap_interval")) intervals.push_back(interval.Int("interval"));
    EXPECT_EQ(intervals, (std::vector<long long>{1, 0}));
    EXPECT_EQ(run.Count("forwarded_key"), 0) << run.Describe();
    EXPECT_EQ(run.Count("flush_timeout"), 0) << run.Describe();

    BenchRun reference = RunBench(kTimerScenario, BenchOptions{true, 60000, kTitleAndFlashOn});
    ASSERT_TRUE(reference.Finished()) << reference.Describe();
    for (int frame = 1; frame <= 8; ++frame) {
        const std::string expected = ReadWholeFile(reference.CapturePath(frame));
        ASSERT_FALSE(expected.empty()) << reference.CapturePath(frame);
        EXPECT_TRUE(ReadWholeFile(run.CapturePath(frame)) == expected) << "frame " << frame << " differs";
    }
}

const int kTimerRuns = 50;

// Every start and stop draws, hangs nowhere (the host names the step of a run that stops making
// progress) and releases what it acquired: no window, class, context or handle stays behind.
void CheckTimerThreadStartsAndStops(const BenchRun& run) {
    std::vector<LogLine> ends = run.Events("run");
    ASSERT_EQ((int)ends.size(), kTimerRuns) << run.Describe();
    for (const LogLine& end : ends) EXPECT_GE(end.Int("frames_drawn"), 2) << end.text;
    // A class still registered from the run before would fail the next start with a box.
    std::map<std::string, int> done;
    for (const LogLine& call : run.Events("call")) {
        EXPECT_TRUE(call.Bool("ok")) << call.text;
        ++done[call.Str("function")];
    }
    EXPECT_EQ(done["RegisterClassExA"], kTimerRuns);
    EXPECT_EQ(done["CreateWindowExA"], kTimerRuns);
    EXPECT_EQ(done["DestroyWindow"], kTimerRuns);
    EXPECT_EQ(done["wglCreateContext"], kTimerRuns);
    EXPECT_EQ(done["wglDeleteContext"], kTimerRuns);
    for (const LogLine& line : Resources(run, "run")) EXPECT_FALSE(line.Bool("freeglut_class")) << line.text;
    ExpectNoGrowth(Resources(run, "run"), 1, 64 * kMegabyte);
}

// Calls from a thread of the host's after the loader's Quit, as timer callbacks still arriving:
// each answers 1 and draws, asks and touches nothing.
void CheckTimerThreadRenderAfterQuit(const BenchRun& run) {
    const int quit = run.IndexOf("quit");
    std::vector<long long> late;
    for (int i = quit; i < (int)run.log.size(); ++i) {
        const std::string event = run.log[i].Event();
        if (event == "render") late.push_back(run.log[i].Int("result"));
        EXPECT_TRUE(event != "swap" && event != "query") << "after Quit: " << run.log[i].text;
    }
    // Three from the host, and any of the loader's timer that was already under way.
    EXPECT_GE(late.size(), 3u) << run.Describe();
    EXPECT_EQ(std::count(late.begin(), late.end(), 1), (long)late.size()) << run.Describe();
}

// The timer ticks before Init: its calls before the window exists answer 0, so the bench, which obeys
// three ones in a row, goes on to the first frame.
void CheckTimerBeforeInitReachesTheFirstFrame(const BenchRun& run) {
    const int init = run.IndexOf("init");
    ASSERT_GE(init, 0) << run.Describe();
    std::vector<long long> early, drawn;
    for (int i = 0; i < (int)run.log.size(); ++i) {
        const LogLine& line = run.log[i];
        if (line.Event() != "render") continue;
        if (i < init) early.push_back(line.Int("result"));
        // Frame 0: calls after the stop was asked for, which the loader's timer makes until its kill.
        if (line.Bool("drawn") && line.Int("frame") > 0) drawn.push_back(line.Int("frame"));
    }
    EXPECT_GE(early.size(), 3u) << run.Describe();
    EXPECT_EQ(std::count(early.begin(), early.end(), 0), (long)early.size()) << run.Describe();
    EXPECT_EQ(drawn, (std::vector<long long>{1, 2, 3})) << run.Describe();
}

// Escape taken by the window's thread while frame 3 is being handed over: that frame is not drawn
// and its Render answers 1, which ends the run.
void CheckHandoffAfterEscape(const BenchRun& run) {
    ASSERT_NE(run.First("handoff_key"), nullptr) << run.Describe();
    EXPECT_EQ(run.First("handoff_key")->Int("frame"), 3);
    EXPECT_EQ(RenderResults(run), (std::vector<long long>{0, 0, 1})) << run.Describe();
    EXPECT_EQ(run.Count("swap"), 2) << run.Describe();
}

const long long kSubpixelBits = 0x0D50;  // GL_SUBPIXEL_BITS
// A played sequence on the stepped clock with the field turning 4 degrees a frame: near frame 22
// rows of bars stand edge-on. --bench puts the OpenGL call counter's thunks before the answers.
const std::vector<std::string> kTurningField = {"--frames", "45", "--clock-step", "1000", "--no-pause", "--resize",
                                                "1:320x190", "--capture-frames", "1,6,20-23,45", "--bench"};

// The sub-pixel answers the run's plug-in read.
std::vector<LogLine> SubpixelAnswers(const BenchRun& run) {
    std::vector<LogLine> answers;
    for (const LogLine& answer : run.Events("gl_answer"))
        if (answer.Int("name") == kSubpixelBits) answers.push_back(answer);
    return answers;
}

// Every side drawn (the quirk's 4 bits) gives the same pixels as the hidden sides left out (llvmpipe's 8).
void CheckEverySideDrawnEqualsSidesLeftOut(const BenchRun& run) {
    std::vector<LogLine> answers = SubpixelAnswers(run);
    ASSERT_FALSE(answers.empty()) << "the plug-in's glGetIntegerv did not reach the answers" << run.Describe();
    for (const LogLine& answer : answers) {
        EXPECT_EQ(answer.Int("answer"), 4) << answer.text;
        EXPECT_TRUE(answer.Bool("quirk")) << answer.text;
    }
    BenchRun reference = RunBench(kTurningField, BenchOptions{true, 60000, ""});
    ASSERT_TRUE(reference.Finished()) << reference.Describe();
    answers = SubpixelAnswers(reference);
    ASSERT_FALSE(answers.empty()) << reference.Describe();
    EXPECT_GE(answers[0].Int("answer"), 8) << "no sides left out to compare with (llvmpipe reports 8): "
                                           << answers[0].text;
    for (int frame : {1, 6, 20, 21, 22, 23, 45}) {
        const std::string expected = ReadWholeFile(reference.CapturePath(frame));
        ASSERT_FALSE(expected.empty()) << reference.CapturePath(frame);
        EXPECT_TRUE(ReadWholeFile(run.CapturePath(frame)) == expected) << "frame " << frame << " differs";
    }
}

void CheckSilentPlaylist(const BenchRun& run) {
    EXPECT_EQ(RenderResults(run), (std::vector<long long>{0, 0, 0}));
    EXPECT_EQ(run.Count("swap"), 3);
    int positions = 0, titles = 0;
    for (const LogLine& query : run.Events("query")) {
        if (query.Int("lparam") == 125) {
            ++positions;
            EXPECT_EQ(query.Int("answer"), 0) << query.text;
        }
        if (query.Int("lparam") == 212) {
            ++titles;
            EXPECT_EQ(query.Int("wparam"), 0) << "the title is asked for the position answered";
            EXPECT_TRUE(query.IsNull("answer")) << query.text;
        }
    }
    EXPECT_EQ(positions, 3) << run.Describe();
    EXPECT_EQ(titles, 3) << run.Describe();
    EXPECT_EQ(SettingValue(run.SettingsText(), "ShowSongTitle"), "1");
}

void CheckDestroyBeforeQuit(const BenchRun& run) {
    const int destroyed = run.IndexOf("host_window_destroyed"), quit = run.IndexOf("quit");
    ASSERT_GE(destroyed, 0) << run.Describe();
    EXPECT_LT(destroyed, quit);
    EXPECT_TRUE(run.log[destroyed].Bool("ok")) << run.log[destroyed].text;
    EXPECT_TRUE(run.log[destroyed].Bool("plugin_window_destroyed")) << run.log[destroyed].text;
    // The tear-down releases only what is still held: the context and the class (the library's
    // unloading may unregister more classes after it).
    std::vector<std::string> calls;
    for (int i = quit; i < (int)run.log.size(); ++i)
        if (run.log[i].Event() == "call") {
            calls.push_back(run.log[i].Str("function"));
            EXPECT_TRUE(run.log[i].Bool("ok")) << run.log[i].text;
        }
    calls.resize(std::min<size_t>(calls.size(), 3));
    EXPECT_EQ(calls, (std::vector<std::string>{"wglMakeCurrent", "wglDeleteContext", "UnregisterClassA"}))
        << run.Describe();
    EXPECT_EQ(run.IndexOf("call", quit), quit + 1) << "nothing before the context is released";
}

void CheckIgnoreResult(const BenchRun& run) {
    EXPECT_EQ(RenderResults(run), (std::vector<long long>{0, 1, 1, 1, 1})) << run.Describe();
    EXPECT_EQ(run.Count("swap"), 1);
}

void CheckNoRate(const BenchRun& run) {
    std::vector<LogLine> rates = run.Events("rates");
    ASSERT_EQ(rates.size(), 2u) << run.Describe();
    EXPECT_EQ(rates[0].Int("sample_rate"), 0);
    EXPECT_EQ(rates[0].Int("channels"), 0);
    EXPECT_EQ(rates[1].Int("sample_rate"), 44100);
    EXPECT_EQ(RenderResults(run), (std::vector<long long>{0, 0, 0}));
}

void CheckAllTogether(const BenchRun& run) {
    EXPECT_EQ(run.Count("quirk"), 6) << run.Describe();
    EXPECT_GE(run.IndexOf("config_result"), 0) << run.Describe();
    CheckRenderThreadDraws(run, 4);
    const LogLine* destroyed = run.First("host_window_destroyed");
    ASSERT_NE(destroyed, nullptr) << run.Describe();
    EXPECT_TRUE(destroyed->Bool("plugin_window_destroyed")) << destroyed->text;
}

std::vector<std::string> Quirks(std::vector<std::string> arguments, const std::vector<const char*>& names) {
    for (const char* name : names) {
        arguments.push_back("--quirk");
        arguments.push_back(name);
    }
    return arguments;
}

INSTANTIATE_TEST_SUITE_P(
    EachAndAll, HostQuirk,
    ::testing::Values(
        QuirkCase{"ConfigBeforeInit", Quirks({"--frames", "3"}, {"config-before-init"}), "", CheckConfigBeforeInit},
        QuirkCase{"ConfigOkBeforeInit",
                  Quirks({"--frames", "2", "--dialog", "set:1012=720,ok"}, {"config-before-init"}), "",
                  CheckConfigOkBeforeInit},
        QuirkCase{"RenderThread", Quirks({"--frames", "3"}, {"render-thread"}), kTitleAndFlashOn,
                  [](const BenchRun& run) { CheckRenderThreadDraws(run, 3); }},
        QuirkCase{"RenderThreadIgnoringResult", Quirks({"--frames", "4"}, {"render-thread", "ignore-result"}),
                  kTitleAndFlashOn, [](const BenchRun& run) { CheckRenderThreadDraws(run, 4); }},
        QuirkCase{"TimerThread", Quirks(kTimerScenario, {"timer-thread"}), kTitleAndFlashOn,
                  CheckTimerThreadFramesAsOneThread, true},
        QuirkCase{"TimerThreadStartsAndStops",
                  Quirks({"--runs", std::to_string(kTimerRuns), "--frames", "2", "--no-pause", "--not-playing"},
                         {"timer-thread"}),
                  kSmallWindow, CheckTimerThreadStartsAndStops, false, 400000},
        QuirkCase{"TimerThreadRenderAfterQuit",
                  Quirks({"--frames", "2", "--no-pause", "--call-order", "render-after-quit"}, {"timer-thread"}),
                  kSmallWindow, CheckTimerThreadRenderAfterQuit},
        QuirkCase{"TimerBeforeInit", Quirks({"--frames", "3", "--no-pause", "--not-playing"}, {"timer-before-init"}),
                  kSmallWindow, CheckTimerBeforeInitReachesTheFirstFrame},
        QuirkCase{"RenderThreadEscapeDuringHandoff",
                  Quirks({"--frames", "5", "--handoff-key", "3:ESC"}, {"render-thread"}), "", CheckHandoffAfterEscape},
        QuirkCase{"CoarseSubpixel", Quirks(kTurningField, {"coarse-subpixel"}), "",
                  CheckEverySideDrawnEqualsSidesLeftOut, true},
        QuirkCase{"SilentPlaylist", Quirks({"--frames", "3"}, {"silent-playlist"}), kTitleAndFlashOn,
                  CheckSilentPlaylist},
        QuirkCase{"DestroyBeforeQuit", Quirks({"--frames", "3"}, {"destroy-before-quit"}), "",
                  CheckDestroyBeforeQuit},
        QuirkCase{"IgnoreResult", Quirks({"--frames", "5", "--keys", "2:ESC"}, {"ignore-result"}), "",
                  CheckIgnoreResult},
        QuirkCase{"NoRate", Quirks({"--frames", "3"}, {"no-rate"}), "", CheckNoRate},
        QuirkCase{"AllTogether",
                  Quirks({"--frames", "4"}, {"config-before-init", "render-thread", "silent-playlist",
                                             "destroy-before-quit", "ignore-result", "no-rate"}),
                  kTitleAndFlashOn, CheckAllTogether}),
    [](const ::testing::TestParamInfo<QuirkCase>& info) { return std::string(info.param.name); });

TEST(HostQuirkOptions, UnknownQuirkAndEndlessIgnoreResultAreRefused) {
    BenchRun unknown = RunBench({"--quirk", "sideways"});
    EXPECT_EQ(unknown.exitCode, 1u) << unknown.Describe();
    EXPECT_NE(unknown.stderrText.find("--quirk"), std::string::npos) << unknown.stderrText;
    BenchRun endless = RunBench({"--quirk", "ignore-result"});
    EXPECT_EQ(endless.exitCode, 1u) << endless.Describe();
    EXPECT_NE(endless.stderrText.find("--frames"), std::string::npos) << endless.stderrText;
}

}  // namespace
